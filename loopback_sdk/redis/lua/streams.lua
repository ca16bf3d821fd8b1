-- Stream channels (type 2): members enter and leave as in any channel; the
-- topics of a channel live in (the name's length keeps any name unambiguous)
--   st:<len>:<channel>:topics       set of the topic names in use
--   st:<len>:<channel>:pub:<topic>  hash client -> msgpack {user, meta, order}
--   st:<len>:<channel>:sub:<topic>  hash client -> msgpack {all publishers, {user = true}}
local stream = {}

function stream.key(channel, suffix) return prefix .. 'st:' .. #channel .. ':' .. channel .. ':' .. suffix end
function stream.publishersKey(channel, topic) return stream.key(channel, 'pub:' .. topic) end
function stream.subscribersKey(channel, topic) return stream.key(channel, 'sub:' .. topic) end

function stream.isMember(channel) return redis.call('HEXISTS', channelKey(2, channel), self) == 1 end

-- {key, user, meta} in the order they joined.
function stream.publishers(channel, topic)
  local raw = redis.call('HGETALL', stream.publishersKey(channel, topic))
  local list = {}
  for i = 1, #raw, 2 do
    local publisher = cmsgpack.unpack(raw[i + 1])
    list[#list + 1] = {key = raw[i], user = publisher[1], meta = publisher[2], order = publisher[3]}
  end
  table.sort(list, function(a, b) return a.order < b.order end)
  return list
end

function stream.subscription(channel, topic, key)
  local raw = redis.call('HGET', stream.subscribersKey(channel, topic), key)
  return raw and cmsgpack.unpack(raw) or nil
end

function stream.sortedTopics(channel)
  local names = redis.call('SMEMBERS', stream.key(channel, 'topics'))
  table.sort(names)
  return names
end

function stream.dropIfEmpty(channel, topic)
  if redis.call('EXISTS', stream.publishersKey(channel, topic),
                stream.subscribersKey(channel, topic)) == 0 then
    redis.call('SREM', stream.key(channel, 'topics'), topic)
  end
end

-- A topic event to the channel's other members; topics: {{topic, {{user, meta}...}}...}.
function stream.tell(eventType, channel, user, topics, except, ts)
  notify(membersWanting(2, channel, '', except),
         {k = 'topic', type = eventType, ch = channel, pub = user, topics = topics, ts = ts or timestamp()})
end

-- The publishers a subscriber follows: the named ones, or every other publisher.
function stream.subscribedUsers(channel, topic, key)
  local subscription = stream.subscription(channel, topic, key)
  local users = {}
  if not subscription then return users end
  if not subscription[1] then
    for user in pairs(subscription[2]) do users[#users + 1] = user end
    table.sort(users)
    return users
  end
  local seen = {}
  for _, publisher in ipairs(stream.publishers(channel, topic)) do
    if publisher.key ~= key and not seen[publisher.user] then
      seen[publisher.user] = true
      users[#users + 1] = publisher.user
    end
  end
  return users
end

-- A member leaving the channel leaves its topics (the others are told) and its subscriptions.
hooks.exit[#hooks.exit + 1] = function(key, ctype, name, member)
  if tonumber(ctype) ~= 2 then return end
  for _, topic in ipairs(stream.sortedTopics(name)) do
    local publishers = stream.publishersKey(name, topic)
    local raw = redis.call('HGET', publishers, key)
    if raw then
      redis.call('HDEL', publishers, key)
      stream.tell(3, name, member.u, {{topic, {{member.u, cmsgpack.unpack(raw)[2]}}}}, key)
    end
    redis.call('HDEL', stream.subscribersKey(name, topic), key)
    stream.dropIfEmpty(name, topic)
  end
end

-- A new member gets the topics' publishers after its join result.
hooks.enter[#hooks.enter + 1] = function(ctype, name, flags, followUps)
  if tonumber(ctype) ~= 2 then return end
  local topics = {}
  for _, topic in ipairs(stream.sortedTopics(name)) do
    local publishers = {}
    for _, publisher in ipairs(stream.publishers(name, topic)) do
      publishers[#publishers + 1] = {publisher.user, publisher.meta}
    end
    if #publishers > 0 then topics[#topics + 1] = {topic, publishers} end
  end
  followUps[#followUps + 1] = {k = 'topic', type = 1, ch = name, pub = '', topics = topics,
                               ts = timestamp()}
end

-- ARGV: channel, flags.
function ops.streamJoin()
  local followUps = {}
  enter('2', ARGV[6], ARGV[7], followUps)
  return answer(0, followUps)
end

-- ARGV: channel.
function ops.streamLeave()
  if not exit(self, '2', ARGV[6]) then return answer(10) end
  return answer(0)
end

-- ARGV: channel, topic, meta. Joining again replaces the meta.
function ops.streamJoinTopic()
  local channel, topic, meta = ARGV[6], ARGV[7], ARGV[8]
  if not stream.isMember(channel) then return answer(10) end
  local key = stream.publishersKey(channel, topic)
  local ts = timestamp()
  local existing = redis.call('HGET', key, self)
  local order = existing and cmsgpack.unpack(existing)[3] or ts
  redis.call('HSET', key, self, cmsgpack.pack({userId, meta, order}))
  redis.call('SADD', stream.key(channel, 'topics'), topic)
  stream.tell(2, channel, userId, {{topic, {{userId, meta}}}}, self, ts)
  return answer(0)
end

-- ARGV: channel, topic. Data: the meta the caller had.
function ops.streamLeaveTopic()
  local channel, topic = ARGV[6], ARGV[7]
  if not stream.isMember(channel) then return answer(10) end
  local key = stream.publishersKey(channel, topic)
  local raw = redis.call('HGET', key, self)
  if not raw then return answer(13) end
  local meta = cmsgpack.unpack(raw)[2]
  redis.call('HDEL', key, self)
  stream.dropIfEmpty(channel, topic)
  stream.tell(3, channel, userId, {{topic, {{userId, meta}}}}, self)
  return answer(0, nil, meta)
end

-- ARGV: channel, topic, the payload's own refusal (0: none), message type,
-- custom type, send time stamp (0: now), payload. The refusal counts only
-- once the caller may publish in the topic.
function ops.streamPublish()
  local channel, topic = ARGV[6], ARGV[7]
  if not stream.isMember(channel) then return answer(10) end
  if redis.call('HEXISTS', stream.publishersKey(channel, topic), self) == 0 then
    return answer(13)
  end
  if ARGV[8] ~= '0' then return answer(tonumber(ARGV[8])) end
  local event = {k = 'topicMessage', ch = channel, tp = topic, mt = tonumber(ARGV[9]),
                 pub = userId, cu = ARGV[10], pl = ARGV[12]}
  -- A sender's time stamp goes as text: it may exceed what a Lua number holds exactly.
  if ARGV[11] ~= '0' then event.sts = ARGV[11] else event.ts = timestamp() end
  local recipients = {}
  local raw = redis.call('HGETALL', stream.subscribersKey(channel, topic))
  for i = 1, #raw, 2 do
    local subscription = cmsgpack.unpack(raw[i + 1])
    if raw[i] ~= self and (subscription[1] or subscription[2][userId]) then
      recipients[#recipients + 1] = raw[i]
    end
  end
  notify(recipients, event)
  return answer(0)
end

-- ARGV: channel, topic, users... (none: every present and future publisher).
-- Data: {succeeded, failed}.
function ops.streamSubscribe()
  local channel, topic = ARGV[6], ARGV[7]
  if not stream.isMember(channel) then return answer(10) end
  local subscription = stream.subscription(channel, topic, self) or {false, {}}
  local succeeded, failed = {}, {}
  if #ARGV < 8 then
    subscription[1] = true
  else
    local publishing = {}
    for _, publisher in ipairs(stream.publishers(channel, topic)) do
      publishing[publisher.user] = true
    end
    for i = 8, #ARGV do
      if publishing[ARGV[i]] then
        subscription[2][ARGV[i]] = true
        succeeded[#succeeded + 1] = ARGV[i]
      else
        failed[#failed + 1] = ARGV[i]
      end
    end
  end
  if subscription[1] or next(subscription[2]) ~= nil then
    redis.call('HSET', stream.subscribersKey(channel, topic), self, cmsgpack.pack(subscription))
    redis.call('SADD', stream.key(channel, 'topics'), topic)
  end
  if #ARGV < 8 then succeeded = stream.subscribedUsers(channel, topic, self) end
  return answer(0, nil, {succeeded, failed})
end

-- ARGV: channel, topic, users... (none: the whole subscription).
function ops.streamUnsubscribe()
  local channel, topic = ARGV[6], ARGV[7]
  if not stream.isMember(channel) then return answer(10) end
  local subscription = stream.subscription(channel, topic, self)
  if not subscription then return answer(14) end
  for i = 8, #ARGV do subscription[2][ARGV[i]] = nil end
  local key = stream.subscribersKey(channel, topic)
  if #ARGV < 8 or (not subscription[1] and next(subscription[2]) == nil) then
    redis.call('HDEL', key, self)
  else
    redis.call('HSET', key, self, cmsgpack.pack(subscription))
  end
  stream.dropIfEmpty(channel, topic)
  return answer(0)
end

-- ARGV: channel, topic. Data: the publishers the caller follows there.
function ops.streamSubscribers()
  local channel, topic = ARGV[6], ARGV[7]
  if not stream.isMember(channel) then return answer(10) end
  return answer(0, nil, stream.subscribedUsers(channel, topic, self))
end
