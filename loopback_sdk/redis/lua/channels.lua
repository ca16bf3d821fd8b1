-- Message channels: entering, leaving, publishing.
function ops.subscribe()
  local followUps = {}
  enter(ARGV[6], ARGV[7], ARGV[8], followUps)
  return answer(0, followUps)
end

function ops.unsubscribe()
  if not exit(self, ARGV[6], ARGV[7]) then return answer(10) end
  return answer(0)
end

-- ARGV: type, name, message type, custom type, payload, store ('1': keep for history).
function ops.publish()
  local ctype, name = ARGV[6], ARGV[7]
  local recipients, shown = {}, name
  if tonumber(ctype) == 3 then
    recipients = redis.call('HKEYS', userClientsKey(name))
    shown = userId
  else
    recipients = membersWanting(ctype, name, 'm', '')
  end
  local event = {k = 'message', ct = tonumber(ctype), ch = shown, mt = tonumber(ARGV[8]),
                 pub = userId, cu = ARGV[9], pl = ARGV[10], ts = timestamp()}
  notify(recipients, event)
  if ARGV[11] == '1' then runHooks(hooks.store, ctype, name, event) end
  return answer(0)
end

