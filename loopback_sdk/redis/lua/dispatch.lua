-- Runs the operation named by the call (every op file has been read by now).
local run = ops[op]
if not run then return answer(2) end
return run()
