# Shipped libraries without their debug information: with
# VELMO_SPLIT_DEBUG_INFO each library is stripped right after it is linked,
# its debug information kept in <file>.debug beside it and named in the
# library's .gnu_debuglink section, which GDB follows. Tests then run on the
# stripped files, as hosts get them. Off by default: a developer build keeps
# its debug information in place.
include_guard(GLOBAL)

option(VELMO_SPLIT_DEBUG_INFO
  "Strip the libraries after linking and keep their debug information in <file>.debug" OFF)

# velmo_split_debug_info(<target>): called in the folder that makes the
# target, as build steps belong to it.
function(velmo_split_debug_info target)
  if(NOT VELMO_SPLIT_DEBUG_INFO)
    return()
  endif()
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "VELMO_SPLIT_DEBUG_INFO needs objcopy (CMAKE_OBJCOPY)")
  endif()
  # The debug link records the bare file name and a checksum of the .debug
  # file, so it is added from inside the output folder. objcopy stamps the PE
  # files it writes with SOURCE_DATE_EPOCH, else with the current time; 0
  # keeps the header free of a time stamp, as the linker left it.
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug $<TARGET_FILE_NAME:${target}>
            $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${objcopy} --strip-unneeded
            --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Moving the debug information of ${target} to its .debug file"
    VERBATIM)
endfunction()

# velmo_debug_info_file(<target> <out>): the target's .debug file, or nothing
# when debug information stays in place.
function(velmo_debug_info_file target out)
  if(VELMO_SPLIT_DEBUG_INFO)
    set(${out} "$<TARGET_FILE:${target}>.debug" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()
