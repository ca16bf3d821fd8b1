# Configures, builds and runs the consumer project against an installed tree
# found only through CMAKE_PREFIX_PATH and find_package(VelmoKivWrapper).
# The SDK is the installed stand-in, found through -rpath-link when linking and
# LD_LIBRARY_PATH when running, as a host trying the stand-in would do.
# Arguments: PREFIX SOURCE_DIR WORK_DIR GENERATOR C_COMPILER CXX_COMPILER SDK_DIR
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}" -G "${GENERATOR}"
          "-DCMAKE_PREFIX_PATH=${PREFIX}" "-DCMAKE_C_COMPILER=${C_COMPILER}"
          "-DCMAKE_CXX_COMPILER=${CXX_COMPILER}" -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON
          "-DCMAKE_EXE_LINKER_FLAGS=-Wl,-rpath-link,${SDK_DIR}"
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the consumer failed: ${rc}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the consumer failed: ${rc}")
endif()

# The package must come from the installed tree, not from the build tree.
file(STRINGS "${WORK_DIR}/CMakeCache.txt" found REGEX "^VelmoKivWrapper_DIR:")
file(REAL_PATH "${PREFIX}" real_prefix)
string(FIND "${found}" "${real_prefix}/" at)
if(at EQUAL -1)
  message(FATAL_ERROR "package found elsewhere: ${found}")
endif()

set(ENV{LD_LIBRARY_PATH} "${SDK_DIR}")
foreach(host IN ITEMS c_host cpp_host)
  execute_process(COMMAND "${WORK_DIR}/${host}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${host} failed: ${rc}")
  endif()
endforeach()
