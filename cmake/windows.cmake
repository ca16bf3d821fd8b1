# The 32-bit Windows build: the JSON and logging libraries in header-only form,
# a static C++ runtime, GoogleTest built from source, and, when cross
# compiling, every Windows program run under Wine in a prefix of this build.
include_guard(GLOBAL)

# Everything the host runs (tests, tools) lands next to the two DLLs, where
# Windows looks for them first.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The two DLLs and every program import only Windows system DLLs and
# velmo_kiv_sdk.dll: libgcc, libstdc++ and winpthreads are linked in.
string(APPEND CMAKE_SHARED_LINKER_FLAGS " -static")
# Debug information for the .pdb files: functions and source lines, which
# is what stacks in a debugger and in crash dumps need. Not variables: with
# them clang 14 makes each thread-local variable's debug record refer to a
# symbol that emulated thread-locals (cmake/toolchains/mingw-clang.cmake)
# never define, and the link fails.
add_compile_options(-gline-tables-only)
# Each DLL's .pdb beside it; its debug record names the file only, never the
# build folder, so that a debugger finds it next to the DLL or on its symbol path.
string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,--pdb= -Wl,--Xlink=-pdbaltpath:%_PDB%")
# A host built with the platform's usual tools gives its threads 1 MiB of
# stack, not the 2 MiB of the GNU linker's default; test on what hosts have.
string(APPEND CMAKE_EXE_LINKER_FLAGS " -static -Wl,--stack,1048576")

# nlohmann/json, spdlog and fmt: only their own header folders reach the cross
# compiler, through a folder of links made here, never /usr/include whole.
set(VELMO_HEADER_ONLY_ROOT "/usr/include" CACHE PATH
    "Where the nlohmann, spdlog and fmt header folders are")
set(VELMO_CROSS_INCLUDE ${CMAKE_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${VELMO_CROSS_INCLUDE})
foreach(headers IN ITEMS nlohmann spdlog fmt)
  if(NOT IS_DIRECTORY ${VELMO_HEADER_ONLY_ROOT}/${headers})
    message(FATAL_ERROR "${VELMO_HEADER_ONLY_ROOT}/${headers} is missing "
                        "(Debian: nlohmann-json3-dev libspdlog-dev libfmt-dev)")
  endif()
  file(CREATE_LINK ${VELMO_HEADER_ONLY_ROOT}/${headers} ${VELMO_CROSS_INCLUDE}/${headers} SYMBOLIC)
endforeach()

add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${VELMO_CROSS_INCLUDE})
add_library(fmt::fmt INTERFACE IMPORTED GLOBAL)
set_target_properties(fmt::fmt PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${VELMO_CROSS_INCLUDE}
  INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY)
add_library(spdlog::spdlog INTERFACE IMPORTED GLOBAL)
set_target_properties(spdlog::spdlog PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${VELMO_CROSS_INCLUDE}
  INTERFACE_COMPILE_DEFINITIONS "SPDLOG_HEADER_ONLY;SPDLOG_FMT_EXTERNAL"
  INTERFACE_LINK_LIBRARIES fmt::fmt)

if(VELMO_BUILD_TESTS)
  set(VELMO_GOOGLETEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  if(NOT EXISTS ${VELMO_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "${VELMO_GOOGLETEST_SOURCE_DIR} holds no GoogleTest sources "
                        "(Debian: googletest)")
  endif()
  # Win32 threads inside GoogleTest; nothing of it is installed.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VELMO_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # The names find_package(GTest) gives, where this GoogleTest lacks them.
  foreach(lib IN ITEMS gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
endif()

if(CMAKE_CROSSCOMPILING)
  # Every Windows program that CMake or CTest starts goes through this script:
  # Wine in a prefix inside the build folder, without Wine's diagnostics.
  # When it finds no Wine server up for the prefix it starts one that stays
  # five minutes after the last program, and brings up Wine's background
  # services with their output going nowhere: started by a test, they would
  # inherit its output pipe and CTest would wait on them. It also clears the
  # prefix's crash debugger, which would end a crashed program with exit code
  # 0; without it the program ends with its exception code. No offer to
  # install .NET or a browser engine, no desktop menu entries.
  # Wine itself (not the program) sometimes dies of SIGSEGV while ending a
  # process that still has a thread-pool timer, such as the log's periodic
  # flush: a 15-line C program with one such timer does it too. A fault in
  # the program ends with its exception code, never with SIGSEGV, so only that
  # status is run again, at most twice, and only the last run's output is shown.
  # docs/windows.md has the measurements.
  set(VELMO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(VELMO_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
  set(wine_run_text [=[#!/bin/sh
# Runs a Windows program of this build under Wine (written by cmake/windows.cmake).
set -e
export WINEPREFIX='@VELMO_WINEPREFIX@'
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
mkdir -p "$WINEPREFIX"
(
  flock 9
  if wineserver -p300 9>&- 2>/dev/null; then
    wine wineboot --init </dev/null >/dev/null 2>&1 9>&-
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$WINEPREFIX/.wine-run.lock"
out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
attempt=1
while :; do
  status=0
  wine "$@" >"$out" 2>"$err" || status=$?
  [ "$status" -eq 139 ] && [ "$attempt" -lt 3 ] || break
  echo "wine-run: Wine crashed (SIGSEGV) ending $1, run $attempt; running it again" >&2
  attempt=$((attempt + 1))
done
cat "$out"
cat "$err" >&2
exit "$status"
]=])
  file(CONFIGURE OUTPUT ${VELMO_WINE_RUN} CONTENT "${wine_run_text}" @ONLY)
  file(CHMOD ${VELMO_WINE_RUN} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMO_WINE_RUN})
endif()
