# The 64-bit Windows build: a test vehicle, not shipped. Wine's 64-bit loader
# runs it on machines that cannot start 32-bit programs.
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VELMO_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-clang.cmake)
