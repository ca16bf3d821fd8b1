-- Named locks of message and stream channels. One hash per channel,
--   lk:<type>:<channel>  field lock name -> {t = ttl, o = owner user, h = holder
--                        "<process>/<client>", s = hold serial, w = waiters}
-- waiters being {k = client key, u = user, r = request id} in line order;
--   lkheld:<client>, lkwait:<client>  what a client holds and waits for
--                                     (members [type, channel, lock]),
--   lkexp                deadlines (ms) of holds whose holder logged out,
--   lkserial             the hold serial counter, so holds never repeat,
--   ttlunit              ms per ttl second (loopback.ttl_unit_ms).
local lockCodes = {ok = 0, notFound = 17, exists = 18, heldElsewhere = 19, notHeld = 20,
                   cancelled = 21}
local lockEvents = {snapshot = 1, set = 2, removed = 3, acquired = 4, released = 5,
                    expired = 6}

local function lockKey(ctype, name) return prefix .. 'lk:' .. ctype .. ':' .. name end
local function heldKey(key) return prefix .. 'lkheld:' .. key end
local function waitKey(key) return prefix .. 'lkwait:' .. key end
local function lockRef(ctype, name, lock) return cjson.encode({ctype, name, lock}) end

-- Wall-clock milliseconds, for deadlines (the event clock may run ahead).
local function wallMs()
  local now = redis.call('TIME')
  return tonumber(now[1]) * 1000 + math.floor(tonumber(now[2]) / 1000)
end

-- Sends an event to clients; the requester's own copy goes to mine instead,
-- to be queued before its result as the in-process service does.
local function tell(keys, event, mine)
  local others = {}
  for _, key in ipairs(keys) do
    if key == self and mine then mine[#mine + 1] = event else others[#others + 1] = key end
  end
  if #others > 0 then notify(others, event) end
end

local function readLock(ctype, name, lock)
  local raw = redis.call('HGET', lockKey(ctype, name), lock)
  if not raw then return nil end
  local entry = cjson.decode(raw)
  if type(entry.w) ~= 'table' then entry.w = {} end
  return entry
end

local function writeLock(ctype, name, lock, entry)
  redis.call('HSET', lockKey(ctype, name), lock, cjson.encode(entry))
end

local function lockEvent(ctype, name, eventType, locks)
  return {k = 'lock', ct = tonumber(ctype), ch = name, et = eventType, locks = locks,
          ts = timestamp()}
end

local function announceLock(ctype, name, eventType, lock, entry, mine)
  tell(membersWanting(ctype, name, 'l', ''),
       lockEvent(ctype, name, eventType, {{lock, entry.o, entry.t}}), mine)
end

local function acquireAnswer(ctype, name, lock, requestId, code, details)
  return {k = 'acquire', ct = tonumber(ctype), ch = name, l = lock, r = requestId, c = code,
          d = details}
end

local function grant(ctype, name, lock, entry, key, user, mine)
  entry.h, entry.o = key, user
  entry.s = redis.call('INCR', prefix .. 'lkserial')
  redis.call('SADD', heldKey(key), lockRef(ctype, name, lock))
  writeLock(ctype, name, lock, entry)
  announceLock(ctype, name, lockEvents.acquired, lock, entry, mine)
end

-- Frees a held lock, then hands it to the first waiter still logged in.
local function freeLock(ctype, name, lock, entry, eventType, mine)
  redis.call('SREM', heldKey(entry.h), lockRef(ctype, name, lock))
  local former = {o = entry.o, t = entry.t}
  entry.h, entry.o = '', ''
  writeLock(ctype, name, lock, entry)
  announceLock(ctype, name, eventType, lock, former, mine)
  while #entry.w > 0 and entry.h == '' do
    local waiter = table.remove(entry.w, 1)
    redis.call('SREM', waitKey(waiter.k), lockRef(ctype, name, lock))
    if redis.call('HEXISTS', userClientsKey(waiter.u), waiter.k) == 1 then
      tell({waiter.k}, acquireAnswer(ctype, name, lock, waiter.r, lockCodes.ok, ''), mine)
      grant(ctype, name, lock, entry, waiter.k, waiter.u, mine)
    end
  end
  writeLock(ctype, name, lock, entry)
end

-- The locks of a channel as [name, owner, ttl], by name.
local function lockList(ctype, name)
  local raw = redis.call('HGETALL', lockKey(ctype, name))
  local locks = {}
  for i = 1, #raw, 2 do
    local entry = cjson.decode(raw[i + 1])
    locks[#locks + 1] = {raw[i], entry.o, entry.t}
  end
  table.sort(locks, function(a, b) return a[1] < b[1] end)
  return locks
end

-- Code 0 when the requester holds that lock of the channel (lock-guarded writes).
local function checkLockHeld(ctype, name, lock)
  local entry = readLock(ctype, name, lock)
  if not entry then return lockCodes.notFound end
  return entry.h == self and lockCodes.ok or lockCodes.notHeld
end

-- ARGV: type, channel, lock, ttl.
function ops.setLock()
  local ctype, name, lock = ARGV[6], ARGV[7], ARGV[8]
  local entry = {t = tonumber(ARGV[9]), o = '', h = '', s = 0, w = {}}
  if redis.call('HSETNX', lockKey(ctype, name), lock, cjson.encode(entry)) == 0 then
    return answer(lockCodes.exists)
  end
  local mine = {}
  announceLock(ctype, name, lockEvents.set, lock, entry, mine)
  return answer(lockCodes.ok, mine)
end

-- ARGV: type, channel. Data: the locks.
function ops.getLocks()
  return answer(lockCodes.ok, nil, lockList(ARGV[6], ARGV[7]))
end

-- ARGV: type, channel, lock.
function ops.removeLock()
  local ctype, name, lock = ARGV[6], ARGV[7], ARGV[8]
  local entry = readLock(ctype, name, lock)
  if not entry then return answer(lockCodes.notFound) end
  if entry.h ~= '' and entry.h ~= self then return answer(lockCodes.heldElsewhere) end
  local mine = {}
  for _, waiter in ipairs(entry.w) do
    redis.call('SREM', waitKey(waiter.k), lockRef(ctype, name, lock))
    tell({waiter.k},
         acquireAnswer(ctype, name, lock, waiter.r, lockCodes.cancelled, 'lock removed'), mine)
  end
  if entry.h ~= '' then redis.call('SREM', heldKey(entry.h), lockRef(ctype, name, lock)) end
  redis.call('HDEL', lockKey(ctype, name), lock)
  announceLock(ctype, name, lockEvents.removed, lock, entry, mine)
  return answer(lockCodes.ok, mine)
end

-- ARGV: type, channel, lock, retry (1/0), request id. Data: the details.
-- Code -1 when the acquisition waits; it is answered with an 'acquire' event.
function ops.acquireLock()
  local ctype, name, lock = ARGV[6], ARGV[7], ARGV[8]
  local entry = readLock(ctype, name, lock)
  if not entry then return answer(lockCodes.notFound) end
  if entry.h == self then return answer(lockCodes.ok) end
  local mine = {}
  if entry.h == '' then
    grant(ctype, name, lock, entry, self, userId, mine)
    return answer(lockCodes.ok, mine)
  end
  if ARGV[9] == '1' then
    entry.w[#entry.w + 1] = {k = self, u = userId, r = ARGV[10]}
    writeLock(ctype, name, lock, entry)
    redis.call('SADD', waitKey(self), lockRef(ctype, name, lock))
    return answer(-1)
  end
  return answer(lockCodes.heldElsewhere, nil, 'lock is held by ' .. entry.o)
end

-- ARGV: type, channel, lock.
function ops.releaseLock()
  local ctype, name, lock = ARGV[6], ARGV[7], ARGV[8]
  local entry = readLock(ctype, name, lock)
  if not entry then return answer(lockCodes.notFound) end
  if entry.h ~= self then return answer(lockCodes.notHeld) end
  local mine = {}
  freeLock(ctype, name, lock, entry, lockEvents.released, mine)
  return answer(lockCodes.ok, mine)
end

-- ARGV: type, channel, lock, owner.
function ops.revokeLock()
  local ctype, name, lock = ARGV[6], ARGV[7], ARGV[8]
  local entry = readLock(ctype, name, lock)
  if not entry then return answer(lockCodes.notFound) end
  if entry.h == '' or entry.o ~= ARGV[9] then return answer(lockCodes.notHeld) end
  local mine = {}
  freeLock(ctype, name, lock, entry, lockEvents.released, mine)
  return answer(lockCodes.ok, mine)
end

-- ARGV: milliseconds per ttl second, for the whole application.
function ops.setTtlUnit()
  redis.call('SET', prefix .. 'ttlunit', ARGV[6])
  return answer(lockCodes.ok)
end

hooks.enter[#hooks.enter + 1] = function(ctype, name, flags, followUps)
  if has(flags, 'l') then
    followUps[#followUps + 1] = lockEvent(ctype, name, lockEvents.snapshot, lockList(ctype, name))
  end
end

-- A client that logs out stops waiting (the cancelled answers go to
-- cancelled when the caller passes it); what it holds expires after its ttl.
hooks.logout[#hooks.logout + 1] = function(key, cancelled)
  for _, ref in ipairs(redis.call('SMEMBERS', waitKey(key))) do
    local ctype, name, lock = unpack(cjson.decode(ref))
    local entry = readLock(ctype, name, lock)
    if entry then
      local kept = {}
      for _, waiter in ipairs(entry.w) do
        if waiter.k ~= key then
          kept[#kept + 1] = waiter
        elseif cancelled then
          cancelled[#cancelled + 1] = acquireAnswer(ctype, name, lock, waiter.r,
                                                    lockCodes.cancelled, 'cancelled by logout')
        end
      end
      entry.w = kept
      writeLock(ctype, name, lock, entry)
    end
  end
  redis.call('DEL', waitKey(key))
  local unit = tonumber(redis.call('GET', prefix .. 'ttlunit') or '') or 1000
  local now = wallMs()
  for _, ref in ipairs(redis.call('SMEMBERS', heldKey(key))) do
    local ctype, name, lock = unpack(cjson.decode(ref))
    local entry = readLock(ctype, name, lock)
    if entry and entry.h == key then
      redis.call('ZADD', prefix .. 'lkexp', now + entry.t * unit,
                 cjson.encode({ctype, name, lock, key, entry.s}))
    end
  end
end

-- Frees the holds that reached their deadline, unless they changed hands.
hooks.sweep[#hooks.sweep + 1] = function()
  local due = redis.call('ZRANGEBYSCORE', prefix .. 'lkexp', '-inf', wallMs())
  for _, raw in ipairs(due) do
    redis.call('ZREM', prefix .. 'lkexp', raw)
    local ctype, name, lock, holder, serial = unpack(cjson.decode(raw))
    local entry = readLock(ctype, name, lock)
    if entry and entry.h == holder and entry.s == serial then
      freeLock(ctype, name, lock, entry, lockEvents.expired, nil)
    end
  end
end
