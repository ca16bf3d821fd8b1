# Compiles and runs the C consumer with the flags pkg-config gives for the
# installed tree; the SDK is the installed stand-in, found through -rpath-link
# when linking and LD_LIBRARY_PATH when running. Arguments: PREFIX LIBDIR SOURCE WORK_DIR C_COMPILER PKG_CONFIG
# VERSION SDK_DIR
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
set(ENV{PKG_CONFIG_PATH} "${PREFIX}/${LIBDIR}/pkgconfig")
set(ENV{PKG_CONFIG_LIBDIR} "${PREFIX}/${LIBDIR}/pkgconfig")

function(query out)
  execute_process(COMMAND "${PKG_CONFIG}" --print-errors ${ARGN} velmo-kiv-wrapper
    OUTPUT_VARIABLE text RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config ${ARGN} failed: ${rc}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

query(version --modversion)
if(NOT version STREQUAL VERSION)
  message(FATAL_ERROR "pkg-config reports version ${version}, expected ${VERSION}")
endif()
# The prefix follows the file, wherever the tree was installed.
query(libdir --variable=libdir)
file(REAL_PATH "${libdir}" libdir)
file(REAL_PATH "${PREFIX}/${LIBDIR}" expected_libdir)
if(NOT libdir STREQUAL expected_libdir)
  message(FATAL_ERROR "pkg-config libdir ${libdir}, expected ${expected_libdir}")
endif()

query(cflags --cflags)
query(libs --libs)
separate_arguments(cflags UNIX_COMMAND "${cflags}")
separate_arguments(libs UNIX_COMMAND "${libs}")
execute_process(
  COMMAND "${C_COMPILER}" ${cflags} "${SOURCE}" -o "${WORK_DIR}/pc_host" ${libs}
          "-Wl,-rpath,${libdir}" "-Wl,-rpath-link,${SDK_DIR}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compiling with pkg-config flags failed: ${rc}")
endif()
set(ENV{LD_LIBRARY_PATH} "${SDK_DIR}")
execute_process(COMMAND "${WORK_DIR}/pc_host" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pc_host failed: ${rc}")
endif()
