# Reads the PE tables of the two DLLs with the mingw objdump (-p) and fails
# when the binary interface has drifted:
#   wrapper_exports  VelmoKivWrapper.dll exports exactly the eleven names
#   wrapper_imports  it imports ordinals 2, 6 and 7 from velmo_kiv_sdk.dll, by ordinal only
#   sdk_exports      velmo_kiv_sdk.dll exports ordinals 2, 6 and 7 and no names
#   static_runtime   neither DLL needs libstdc++, libgcc or winpthreads DLLs
# cmake -DCHECK=<one of the above> -DOBJDUMP=<objdump> -DWRAPPER=<dll> -DSDK=<dll> -P this file

set(EXPECTED_EXPORTS
  CallQuonKivApi CreateQuonKivEngine CreateQuonKivEngineWithProcTable CreateQuonKivEventHandler
  DestroyQuonKivEngine DestroyQuonKivEventHandler GetQuonKivErrorReason GetQuonKivVersion
  createQuonKivClient destroyQuonKivClient getQuonKivErrorReason)
set(EXPECTED_SDK_ORDINALS 2 6 7)

function(pe_dump dll out)
  execute_process(COMMAND ${OBJDUMP} -p ${dll}
    OUTPUT_VARIABLE dump ERROR_VARIABLE error RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${dll} failed: ${error}")
  endif()
  set(${out} "${dump}" PARENT_SCOPE)
endfunction()

# The named exports, sorted.
function(exported_names dump out)
  set(names "")
  if(dump MATCHES "\\[Ordinal/Name Pointer\\] Table\n(([^\n]+\n)*)")
    # Lines "\t[   3] Name": the bracketed index goes first, as brackets in
    # CMake list items would change how the list splits.
    string(REGEX REPLACE "\t\\[ *[0-9]+\\] " "" block "${CMAKE_MATCH_1}")
    string(REGEX MATCHALL "[^\n]+" names "${block}")
  endif()
  list(SORT names)
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# The ordinals of the export address table, in table order.
function(exported_ordinals dump out)
  set(ordinals "")
  if(dump MATCHES "Export Address Table -- Ordinal Base [0-9]+\n(([^\n]+\n)*)")
    string(REGEX MATCHALL "\\+base\\[ *[0-9]+\\]" entries "${CMAKE_MATCH_1}")
    foreach(entry IN LISTS entries)
      string(REGEX REPLACE "[^0-9]" "" ordinal "${entry}")
      list(APPEND ordinals ${ordinal})
    endforeach()
  endif()
  set(${out} "${ordinals}" PARENT_SCOPE)
endfunction()

# What one DLL imports from another: "<ordinal>:<name>" entries, name <none>
# for an import by ordinal.
function(imports_from dump dll out)
  set(entries "")
  string(REPLACE "." "\\." dll_pattern "${dll}")
  if(dump MATCHES "DLL Name: ${dll_pattern}\n[^\n]*Hint/Ord[^\n]*\n(([^\n]+\n)*)")
    string(REGEX MATCHALL "[^\n]+" lines "${CMAKE_MATCH_1}")
    foreach(line IN LISTS lines)
      if(line MATCHES "^\t[0-9a-fA-F]+\t +([0-9]+) +(.*)$")
        # The 64-bit objdump pads ordinals with zeros.
        set(name "${CMAKE_MATCH_2}")
        string(REGEX REPLACE "^0+([0-9])" "\\1" ordinal "${CMAKE_MATCH_1}")
        list(APPEND entries "${ordinal}:${name}")
      endif()
    endforeach()
  endif()
  set(${out} "${entries}" PARENT_SCOPE)
endfunction()

# The ordinals that lead somewhere, and the export names, as llvm-readobj
# reads them: lld numbers the table from ordinal base 0 and leaves the unused
# ordinals empty, which objdump takes for a broken table.
function(readobj_exports dll out_ordinals out_names)
  execute_process(COMMAND ${READOBJ} --coff-exports ${dll}
    OUTPUT_VARIABLE dump ERROR_VARIABLE error RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${READOBJ} --coff-exports ${dll} failed: ${error}")
  endif()
  set(ordinals "")
  set(names "")
  string(REGEX MATCHALL "Export {\n  Ordinal: [0-9]+\n  Name: [^\n]*\n  RVA: 0x[0-9A-Fa-f]+"
         entries "${dump}")
  foreach(entry IN LISTS entries)
    string(REGEX MATCH "Ordinal: ([0-9]+)\n  Name: ([^\n]*)\n  RVA: (0x[0-9A-Fa-f]+)" _ "${entry}")
    set(ordinal ${CMAKE_MATCH_1})
    set(name "${CMAKE_MATCH_2}")
    if(NOT CMAKE_MATCH_3 STREQUAL "0x0")
      list(APPEND ordinals ${ordinal})
    endif()
    if(NOT name STREQUAL "")
      list(APPEND names "${name}")
    endif()
  endforeach()
  set(${out_ordinals} "${ordinals}" PARENT_SCOPE)
  set(${out_names} "${names}" PARENT_SCOPE)
endfunction()

function(imported_dlls dump out)
  string(REGEX MATCHALL "DLL Name: [^\n]+" entries "${dump}")
  list(TRANSFORM entries REPLACE "^DLL Name: " "")
  set(${out} "${entries}" PARENT_SCOPE)
endfunction()

function(expect_equal what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}\n  expected: ${expected}\n  found:    ${actual}")
  endif()
  message(STATUS "${what}: ${actual}")
endfunction()

if(CHECK STREQUAL "wrapper_exports")
  pe_dump(${WRAPPER} dump)
  exported_names("${dump}" names)
  list(SORT EXPECTED_EXPORTS)
  expect_equal("exported names of ${WRAPPER}" "${names}" "${EXPECTED_EXPORTS}")
  exported_ordinals("${dump}" ordinals)
  list(LENGTH ordinals count)
  expect_equal("number of exports of ${WRAPPER}" "${count}" "11")
elseif(CHECK STREQUAL "wrapper_imports")
  pe_dump(${WRAPPER} dump)
  imports_from("${dump}" "velmo_kiv_sdk.dll" entries)
  set(expected "")
  foreach(ordinal IN LISTS EXPECTED_SDK_ORDINALS)
    list(APPEND expected "${ordinal}:<none>")
  endforeach()
  list(SORT entries COMPARE NATURAL)
  expect_equal("imports of ${WRAPPER} from velmo_kiv_sdk.dll (ordinal:name)"
               "${entries}" "${expected}")
elseif(CHECK STREQUAL "sdk_exports")
  readobj_exports(${SDK} ordinals names)
  expect_equal("exported ordinals of ${SDK}" "${ordinals}" "${EXPECTED_SDK_ORDINALS}")
  expect_equal("exported names of ${SDK}" "${names}" "")
elseif(CHECK STREQUAL "static_runtime")
  foreach(dll IN ITEMS ${WRAPPER} ${SDK})
    pe_dump(${dll} dump)
    imported_dlls("${dump}" dlls)
    list(FILTER dlls INCLUDE REGEX "^(libstdc\\+\\+|libgcc|libwinpthread)")
    expect_equal("MinGW runtime DLLs imported by ${dll}" "${dlls}" "")
  endforeach()
  pe_dump(${WRAPPER} dump)
  imported_dlls("${dump}" dlls)
  list(FIND dlls "velmo_kiv_sdk.dll" at)
  if(at LESS 0)
    message(FATAL_ERROR "${WRAPPER} does not import velmo_kiv_sdk.dll: ${dlls}")
  endif()
else()
  message(FATAL_ERROR "unknown CHECK '${CHECK}'")
endif()
