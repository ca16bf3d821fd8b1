# The shipped 32-bit Windows build.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELMO_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-clang.cmake)
