# Cross build for 32-bit Windows with Debian's mingw-w64 compilers.
# The posix thread model is the one with std::thread and std::mutex.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(VELMO_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMO_MINGW_TRIPLE}-windres)

# Target headers and libraries come from the mingw-w64 sysroot only; host
# tools are still found on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VELMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
