-- Logging in and out, and coming back after a lost link.
function ops.login()
  redis.call('HSET', userClientsKey(userId), self, '1')
  return answer(0)
end

function ops.logout()
  leaveAll(self)
  runHooks(hooks.logout, self)
  redis.call('HDEL', userClientsKey(userId), self)
  return answer(0)
end

-- After a lost connection: the client's registration and memberships again
-- (ARGV: type, name, flags triples), telling others of users that reappear.
function ops.restore()
  redis.call('HSET', userClientsKey(userId), self, '1')
  for i = 6, #ARGV, 3 do enter(ARGV[i], ARGV[i + 1], ARGV[i + 2], nil) end
  return answer(0)
end


function ops.sweep()
  runHooks(hooks.sweep)
  return answer(0)
end
