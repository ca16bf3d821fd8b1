# Binaries that name nothing of the machine that built them, and that come out
# the same from two builds of one commit.
#
# File names compiled in (__FILE__ in log source locations, the logging
# library's own, debug information) start at the source folder as "./" and at
# the build folder as "./build", wherever the two are. A later map wins in
# GCC and Clang, so the build folder, often inside the source folder, comes
# second. Debuggers find the sources when started from the source checkout
# (docs/windows.md).
include_guard(GLOBAL)

add_compile_options(
  "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=."
  "-ffile-prefix-map=${PROJECT_BINARY_DIR}=./build")

# The run path of build-tree binaries relative to $ORIGIN: an absolute one
# would size the string table that install later rewrites by the folder's name.
set(CMAKE_BUILD_RPATH_USE_ORIGIN ON)

if(WIN32 AND CMAKE_C_COMPILER_ID MATCHES "GNU|Clang")
  # The PE header's time stamp would differ on every link.
  string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,--no-insert-timestamp")
  string(APPEND CMAKE_EXE_LINKER_FLAGS " -Wl,--no-insert-timestamp")
endif()
