-- Presence: who is in a channel, where a user is, and members' state items.
local presencePageSize = 100

-- whoNow / getOnlineUsers. ARGV: type, name, page (decimal offset or '').
-- Data: {users = {{user, state}...}, next = page marker or ''}.
function ops.listUsers()
  local all = visibleUsers(ARGV[6], ARGV[7])
  local first = tonumber(ARGV[8] ~= '' and ARGV[8] or '0')
  local page, last = {}, math.min(first + presencePageSize, #all)
  for i = first + 1, last do page[#page + 1] = all[i] end
  return answer(0, nil, {users = page, next = last < #all and tostring(last) or ''})
end

-- whereNow / getUserChannels. ARGV: user. Data: {{name, type}...} sorted by type, then name.
function ops.listChannels()
  local target, seen, channels = ARGV[6], {}, {}
  for _, key in ipairs(redis.call('HKEYS', userClientsKey(target))) do
    for _, entry in ipairs(redis.call('SMEMBERS', clientChannelsKey(key))) do
      local ctype, name = splitChannel(entry)
      if not seen[entry] and userVisible(ctype, name, target) then
        seen[entry] = true
        channels[#channels + 1] = {name, tonumber(ctype)}
      end
    end
  end
  table.sort(channels, function(a, b)
    if a[2] ~= b[2] then return a[2] < b[2] end
    return a[1] < b[1]
  end)
  return answer(0, nil, channels)
end

-- Changes the caller's own state in a channel and tells the presence subscribers.
local function changeState(ctype, name, change)
  local key = channelKey(ctype, name)
  local raw = redis.call('HGET', key, self)
  if not raw then return answer(10) end
  local member = cjson.decode(raw)
  member.s = change(member.s)
  redis.call('HSET', key, self, cjson.encode(member))
  if not has(member.f, 'q') then
    notify(membersWanting(ctype, name, 'p', self),
           {k = 'presence', kind = 'state', ct = tonumber(ctype), ch = name, u = userId,
            s = member.s, ts = timestamp()})
  end
  return answer(0)
end

-- ARGV: type, name, key, value, key, value...
function ops.setState()
  return changeState(ARGV[6], ARGV[7], function(state)
    for i = 8, #ARGV, 2 do
      local found = false
      for _, pair in ipairs(state) do
        if pair[1] == ARGV[i] then
          pair[2], found = ARGV[i + 1], true
        end
      end
      if not found then state[#state + 1] = {ARGV[i], ARGV[i + 1]} end
    end
    return state
  end)
end

-- ARGV: type, name, keys... (none: every item goes).
function ops.removeState()
  return changeState(ARGV[6], ARGV[7], function(state)
    if #ARGV < 8 then return {} end
    local drop, kept = {}, {}
    for i = 8, #ARGV do drop[ARGV[i]] = true end
    for _, pair in ipairs(state) do
      if not drop[pair[1]] then kept[#kept + 1] = pair end
    end
    return kept
  end)
end

-- ARGV: type, name, user. Data: {user, state}; 22 when the user is not present.
function ops.getState()
  for _, user in ipairs(visibleUsers(ARGV[6], ARGV[7])) do
    if user[1] == ARGV[8] then return answer(0, nil, user) end
  end
  return answer(22)
end
