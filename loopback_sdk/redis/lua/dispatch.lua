-- Runs the operation named by the call (every op file has been read by now);
-- the loader registers it under the library's versioned name.
local function serve(_, args)
  begin(args)
  local run = ops[op]
  if not run then return answer(2) end
  return run()
end
