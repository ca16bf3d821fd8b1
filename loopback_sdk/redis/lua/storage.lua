-- Channel and user metadata. One hash per store,
--   md:<type>:<name>     (type 3: the user named) field "" -> major revision,
--                        field item key -> {v = value, a = author, r = revision,
--                        t = update time}
--   mdfollowers:<user>   clients following that user's metadata,
--   mdfollowing:<client> users that client follows (dropped on logout).
local storageEvents = {snapshot = 1, set = 2, update = 3, remove = 4}
local userType = 3

local function metadataKey(ctype, name) return prefix .. 'md:' .. ctype .. ':' .. name end
local function followersKey(user) return prefix .. 'mdfollowers:' .. user end
local function followingKey(key) return prefix .. 'mdfollowing:' .. key end

-- {major revision, {[key, value, author, revision, updateTs]...} by key}
local function metadataCopy(ctype, name)
  local raw = redis.call('HGETALL', metadataKey(ctype, name))
  local major, items = 0, {}
  for i = 1, #raw, 2 do
    if raw[i] == '' then
      major = tonumber(raw[i + 1])
    else
      local item = cjson.decode(raw[i + 1])
      items[#items + 1] = {raw[i], item.v, item.a, item.r, item.t}
    end
  end
  table.sort(items, function(a, b) return a[1] < b[1] end)
  return {major, items}
end

local function storageEvent(ctype, name, eventType)
  return {k = 'storage', ct = tonumber(ctype),
          st = tonumber(ctype) == userType and 1 or 2, et = eventType, tg = name,
          md = metadataCopy(ctype, name), ts = timestamp()}
end

-- The whole write or nothing: revisions checked first, then every item
-- written at the new major revision.
local function applyWrite(key, kind, major, recordTs, recordUser, items)
  local current = tonumber(redis.call('HGET', key, '') or '0')
  if major >= 0 and major ~= current then return 15 end
  for _, item in ipairs(items) do
    local existing = redis.call('HGET', key, item.key)
    local revision = existing and cjson.decode(existing).r or 0
    if item.revision >= 0 and item.revision ~= revision then return 15 end
    if kind == 'update' and not existing then return 16 end
  end
  local revision = current + 1
  if kind == 'remove' then
    if #items == 0 then redis.call('DEL', key) end
    for _, item in ipairs(items) do redis.call('HDEL', key, item.key) end
  else
    local now = recordTs and timestamp() or 0
    for _, item in ipairs(items) do
      redis.call('HSET', key, item.key,
                 cjson.encode({v = item.value, a = recordUser and userId or '', r = revision,
                               t = now}))
    end
  end
  redis.call('HSET', key, '', revision)
  return 0
end

-- ARGV: set|update|remove, type, name, lock, major revision, recordTs (1/0),
-- recordUserId (1/0), then key, value, revision for each item.
function ops.writeMetadata()
  local kind, ctype, name, lock = ARGV[6], ARGV[7], ARGV[8], ARGV[9]
  if lock ~= '' then
    local code = checkLockHeld(ctype, name, lock)
    if code ~= 0 then return answer(code) end
  end
  local items = {}
  for i = 13, #ARGV, 3 do
    items[#items + 1] = {key = ARGV[i], value = ARGV[i + 1], revision = tonumber(ARGV[i + 2])}
  end
  local code = applyWrite(metadataKey(ctype, name), kind, tonumber(ARGV[10]), ARGV[11] == '1',
                          ARGV[12] == '1', items)
  if code ~= 0 then return answer(code) end
  local recipients
  if tonumber(ctype) == userType then
    recipients = redis.call('SMEMBERS', followersKey(name))
  else
    recipients = membersWanting(ctype, name, 'd', '')
  end
  local mine = {}
  tell(recipients, storageEvent(ctype, name, storageEvents[kind]), mine)
  return answer(0, mine)
end

-- ARGV: type, name. Data: the metadata.
function ops.getMetadata()
  return answer(0, nil, metadataCopy(ARGV[6], ARGV[7]))
end

-- ARGV: user. Answers a snapshot of that user's metadata.
function ops.followUserMetadata()
  redis.call('SADD', followersKey(ARGV[6]), self)
  redis.call('SADD', followingKey(self), ARGV[6])
  return answer(0, {storageEvent(userType, ARGV[6], storageEvents.snapshot)})
end

-- ARGV: user.
function ops.unfollowUserMetadata()
  redis.call('SREM', followersKey(ARGV[6]), self)
  redis.call('SREM', followingKey(self), ARGV[6])
  return answer(0)
end

-- The channel's metadata snapshot goes before its lock snapshot.
hooks.enter[#hooks.enter + 1] = function(ctype, name, flags, followUps)
  if not has(flags, 'd') then return end
  local at = #followUps + 1
  for i, event in ipairs(followUps) do
    if event.k == 'lock' and event.et == 1 and event.ch == name then
      at = i
      break
    end
  end
  table.insert(followUps, at, storageEvent(ctype, name, storageEvents.snapshot))
end

hooks.logout[#hooks.logout + 1] = function(key)
  for _, user in ipairs(redis.call('SMEMBERS', followingKey(key))) do
    redis.call('SREM', followersKey(user), key)
  end
  redis.call('DEL', followingKey(key))
end
