-- Logging in and out, coming back after a lost link, and clearing up after
-- processes that died: each process with clients keeps a key alive (the
-- sweep renews it); once it expires, another process's sweep logs that
-- process's clients out, so their presence times out.
local processAliveMs = 5000
local function processesKey() return prefix .. 'procs' end
local function processClientsKey(proc) return prefix .. 'pc:' .. proc end
local function aliveKey(proc) return prefix .. 'alive:' .. proc end

local function register()
  redis.call('HSET', userClientsKey(userId), self, '1')
  redis.call('SADD', processesKey(), process)
  redis.call('HSET', processClientsKey(process), self, userId)
  redis.call('SET', aliveKey(process), '1', 'PX', processAliveMs)
end

-- Everything a client leaves when it logs out; cancelled collects the
-- answers of its waiting acquisitions (nil: nobody to answer).
local function logOut(key, user, cancelled)
  leaveAll(key)
  runHooks(hooks.logout, key, cancelled)
  redis.call('HDEL', userClientsKey(user), key)
  local proc = string.sub(key, 1, string.find(key, '/', 1, true) - 1)
  redis.call('HDEL', processClientsKey(proc), key)
  if redis.call('HLEN', processClientsKey(proc)) == 0 then
    redis.call('SREM', processesKey(), proc)
    redis.call('DEL', aliveKey(proc))
  end
end

function ops.login()
  register()
  return answer(0)
end

-- Answers: the waiting acquisitions it cancelled, for the client to hear
-- before its logout result.
function ops.logout()
  local cancelled = {}
  logOut(self, userId, cancelled)
  return answer(0, cancelled)
end

-- After a lost connection: the client's registration and memberships again
-- (ARGV: type, name, flags triples), telling others of users that reappear.
-- Answers a fresh presence snapshot of each channel that asked for presence,
-- since joins and leaves while the link was down were not heard.
function ops.restore()
  register()
  local snapshots = {}
  for i = 6, #ARGV, 3 do
    enter(ARGV[i], ARGV[i + 1], ARGV[i + 2], nil)
    if has(ARGV[i + 2], 'p') then snapshots[#snapshots + 1] = presenceSnapshot(ARGV[i], ARGV[i + 1]) end
  end
  return answer(0, snapshots)
end

-- ARGV: the ids of this process's logged-in clients. Data: those the service
-- no longer lists (another process swept this one as dead while it was
-- paused), so that the process registers them again.
function ops.sweep()
  if redis.call('SISMEMBER', processesKey(), process) == 1 then
    redis.call('SET', aliveKey(process), '1', 'PX', processAliveMs)
  end
  for _, proc in ipairs(redis.call('SMEMBERS', processesKey())) do
    if redis.call('EXISTS', aliveKey(proc)) == 0 then
      local clients = redis.call('HGETALL', processClientsKey(proc))
      for i = 1, #clients, 2 do logOut(clients[i], clients[i + 1], nil) end
      redis.call('SREM', processesKey(), proc)
      redis.call('DEL', processClientsKey(proc))
    end
  end
  runHooks(hooks.sweep)
  local missing = {}
  for i = 6, #ARGV do
    if redis.call('HEXISTS', processClientsKey(process), process .. '/' .. ARGV[i]) == 0 then
      missing[#missing + 1] = ARGV[i]
    end
  end
  return answer(0, nil, missing)
end
