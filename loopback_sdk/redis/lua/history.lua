-- History: the stored messages of a channel in one sorted set per channel,
-- hist:<type>:<name>, scored by time stamp, each member msgpack
-- {ts, message type, publisher, custom type, payload}; the newest
-- historyLimit of a channel are kept.
local historyLimit = 1000
local function historyKey(ctype, name) return prefix .. 'hist:' .. ctype .. ':' .. name end

-- Run by publish, inside the same call, for a message sent with storeInHistory.
hooks.store = {function(ctype, name, event)
  local key = historyKey(ctype, name)
  redis.call('ZADD', key, event.ts, cmsgpack.pack({event.ts, event.mt, event.pub, event.cu, event.pl}))
  redis.call('ZREMRANGEBYRANK', key, 0, -(historyLimit + 1))
end}

-- ARGV: type, name, count, start (0: no upper bound), end (0: no lower bound).
-- Data: {newStart, {{ts, type, publisher, custom type, payload}...}}, newest
-- first; newStart is the time stamp of the next older message in range, or 0.
function ops.historyPage()
  local count = tonumber(ARGV[8])
  local upper = ARGV[9] == '0' and '+inf' or ARGV[9]
  local found = redis.call('ZREVRANGEBYSCORE', historyKey(ARGV[6], ARGV[7]), upper, ARGV[10],
                           'LIMIT', 0, count + 1)
  local messages, newStart = {}, 0
  for i, packed in ipairs(found) do
    local message = cmsgpack.unpack(packed)
    if i > count then newStart = message[1] else messages[i] = message end
  end
  return answer(0, nil, {newStart, messages})
end
