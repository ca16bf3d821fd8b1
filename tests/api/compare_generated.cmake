# Fails when a committed generated file differs from a fresh one, naming the
# command that refreshes it. -D GENERATED=... COMMITTED=... REFRESH=...
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${GENERATED} ${COMMITTED}
  RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${COMMITTED} differs from what the sources produce (${GENERATED}).\n"
    "Refresh it with:\n  ${REFRESH}")
endif()
message(STATUS "${COMMITTED} is current")
