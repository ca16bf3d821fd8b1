-- The stand-in's shared service, run by Redis one call at a time, so every
-- operation is atomic across all processes. The build joins core.lua, the
-- operation files and dispatch.lua into one function library, loaded once
-- with FUNCTION LOAD, so a call pays only for its own operation:
--   FCALL velmo_kiv_<version> 0 op app process clientId userId args...
-- Members live in one hash per channel, field "<process>/<client>" holding
-- {u = user, f = flags, s = state as {{key, value}...}, n = entry order};
-- flags are m(essage) p(resence) l(ock) d(metadata) q(uiet). Events go to each process's inbox channel as
-- msgpack {to = {client ids}, ev = {...}}; the answer is msgpack
-- {code, {events for the requester}, data}.

-- The call's arguments, set by begin() at the start of every call.
local ARGV, op, app, process, clientId, userId, prefix, self

local function begin(args)
  ARGV = args
  op, app, process, clientId, userId = args[1], args[2], args[3], args[4], args[5]
  -- The id's length keeps ids apart whatever they hold ("co" + "lobby:ch:1:x"
  -- never meets "co:ch:1:lobby" + "x").
  prefix = 'kiv:' .. #app .. ':' .. app .. ':'
  self = process .. '/' .. clientId
end

local function channelKey(ctype, name) return prefix .. 'ch:' .. ctype .. ':' .. name end
local function clientChannelsKey(key) return prefix .. 'cl:' .. key end
local function userClientsKey(user) return prefix .. 'user:' .. user end

-- Milliseconds, strictly increasing per application.
local function timestamp()
  local now = redis.call('TIME')
  local ms = tonumber(now[1]) * 1000 + math.floor(tonumber(now[2]) / 1000)
  local last = tonumber(redis.call('GET', prefix .. 'clock') or '0')
  if ms <= last then ms = last + 1 end
  redis.call('SET', prefix .. 'clock', ms)
  return ms
end

local function has(flags, flag) return string.find(flags, flag, 1, true) ~= nil end

-- In the order they entered (n is a per-application sequence).
local function members(ctype, name)
  local raw = redis.call('HGETALL', channelKey(ctype, name))
  local list = {}
  for i = 1, #raw, 2 do
    local member = cjson.decode(raw[i + 1])
    member.key = raw[i]
    list[#list + 1] = member
  end
  table.sort(list, function(a, b) return a.n < b.n end)
  return list
end

local function userVisible(ctype, name, user)
  for _, member in ipairs(members(ctype, name)) do
    if member.u == user and not has(member.f, 'q') then return true end
  end
  return false
end

-- Sends one event to clients named "<process>/<client>", one publish per process.
local function notify(keys, event)
  local byProcess = {}
  for _, key in ipairs(keys) do
    local slash = string.find(key, '/', 1, true)
    local proc, id = string.sub(key, 1, slash - 1), string.sub(key, slash + 1)
    byProcess[proc] = byProcess[proc] or {}
    table.insert(byProcess[proc], id)
  end
  for proc, ids in pairs(byProcess) do
    redis.call('PUBLISH', prefix .. 'inbox:' .. proc, cmsgpack.pack({to = ids, ev = event}))
  end
end

local function membersWanting(ctype, name, flag, except)
  local keys = {}
  for _, member in ipairs(members(ctype, name)) do
    if member.key ~= except and (flag == '' or has(member.f, flag)) then
      keys[#keys + 1] = member.key
    end
  end
  return keys
end

local function visibleUsers(ctype, name)
  local seen, users = {}, {}
  for _, member in ipairs(members(ctype, name)) do
    if not has(member.f, 'q') and not seen[member.u] then
      seen[member.u] = true
      users[#users + 1] = {member.u, member.s or {}}
    end
  end
  return users
end

-- What operation files add to the shared flows:
--   enter(ctype, name, flags, followUps)  after a client entered (snapshots)
--   exit(key, ctype, name, member)        before a member is taken out
--   logout(key)                           when a client logs out or is released
--   sweep()                               periodically, from every process (expiries)
local hooks = {enter = {}, exit = {}, logout = {}, sweep = {}}
local function runHooks(list, ...)
  for _, hook in ipairs(list) do hook(...) end
end

local function presenceSnapshot(ctype, name)
  return {k = 'snapshot', ct = tonumber(ctype), ch = name, users = visibleUsers(ctype, name),
          ts = timestamp()}
end

local function enter(ctype, name, flags, followUps)
  local key = channelKey(ctype, name)
  local existing = redis.call('HGET', key, self)
  if existing then
    local member = cjson.decode(existing)
    member.f = flags
    redis.call('HSET', key, self, cjson.encode(member))
    return
  end
  local wasVisible = userVisible(ctype, name, userId)
  redis.call('HSET', key, self, cjson.encode({u = userId, f = flags, s = {},
                                              n = redis.call('INCR', prefix .. 'seq')}))
  redis.call('SADD', clientChannelsKey(self), ctype .. ':' .. name)
  if not has(flags, 'q') and not wasVisible then
    notify(membersWanting(ctype, name, 'p', self),
           {k = 'presence', kind = 'join', ct = tonumber(ctype), ch = name, u = userId,
            ts = timestamp()})
  end
  if followUps and has(flags, 'p') then followUps[#followUps + 1] = presenceSnapshot(ctype, name) end
  if followUps then runHooks(hooks.enter, ctype, name, flags, followUps) end
end

local function exit(key, ctype, name)
  local raw = redis.call('HGET', channelKey(ctype, name), key)
  if not raw then return false end
  local member = cjson.decode(raw)
  runHooks(hooks.exit, key, ctype, name, member)
  redis.call('HDEL', channelKey(ctype, name), key)
  redis.call('SREM', clientChannelsKey(key), ctype .. ':' .. name)
  if not has(member.f, 'q') and not userVisible(ctype, name, member.u) then
    notify(membersWanting(ctype, name, 'p', key),
           {k = 'presence', kind = 'leave', ct = tonumber(ctype), ch = name, u = member.u,
            ts = timestamp()})
  end
  return true
end

local function splitChannel(entry)
  local colon = string.find(entry, ':', 1, true)
  return string.sub(entry, 1, colon - 1), string.sub(entry, colon + 1)
end

local function leaveAll(key)
  for _, entry in ipairs(redis.call('SMEMBERS', clientChannelsKey(key))) do
    local ctype, name = splitChannel(entry)
    exit(key, ctype, name)
  end
  redis.call('DEL', clientChannelsKey(key))
end

-- data is what a getter returns (any msgpack value); absent for the others.
local function answer(code, followUps, data)
  return cmsgpack.pack({code, followUps or {}, data or false})
end

local ops = {}

