# Cross build for Windows: clang and lld for the MinGW target, over Debian's
# mingw-w64 sysroot and its GCC's C++ runtime (posix threads, for std::thread
# and std::mutex). clang writes CodeView debug information and lld the .pdb
# beside each DLL, which Windows debuggers read. Included by the two
# per-architecture files, which set VELMO_MINGW_ARCH.
set(CMAKE_SYSTEM_NAME Windows)
set(VELMO_MINGW_TRIPLE ${VELMO_MINGW_ARCH}-w64-mingw32)

find_program(VELMO_CLANG NAMES clang-14 clang REQUIRED)
find_program(VELMO_CLANGXX NAMES clang++-14 clang++ REQUIRED)
find_program(VELMO_LLD NAMES ld.lld-14 ld.lld REQUIRED)
set(CMAKE_C_COMPILER ${VELMO_CLANG})
set(CMAKE_CXX_COMPILER ${VELMO_CLANGXX})
set(CMAKE_C_COMPILER_TARGET ${VELMO_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${VELMO_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${VELMO_MINGW_TRIPLE}-windres)

# clang does not look for GCC's runtime under the "-posix" folder Debian uses.
set(VELMO_MINGW_SYSROOT /usr/${VELMO_MINGW_TRIPLE})
file(GLOB VELMO_MINGW_GCC_DIR LIST_DIRECTORIES true /usr/lib/gcc/${VELMO_MINGW_TRIPLE}/*-posix)
if(NOT VELMO_MINGW_GCC_DIR)
  message(FATAL_ERROR "no /usr/lib/gcc/${VELMO_MINGW_TRIPLE}/*-posix "
                      "(Debian: g++-mingw-w64-${VELMO_MINGW_ARCH}-posix)")
endif()
list(GET VELMO_MINGW_GCC_DIR 0 VELMO_MINGW_GCC_DIR)
set(CMAKE_SYSROOT ${VELMO_MINGW_SYSROOT})
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
    ${VELMO_MINGW_GCC_DIR}/include/c++
    ${VELMO_MINGW_GCC_DIR}/include/c++/${VELMO_MINGW_TRIPLE}
    ${VELMO_MINGW_GCC_DIR}/include/c++/backward)
set(VELMO_MINGW_LINK_FLAGS
    "--ld-path=${VELMO_LLD} -L${VELMO_MINGW_GCC_DIR} -Wno-unused-command-line-argument")
foreach(kind IN ITEMS EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "${VELMO_MINGW_LINK_FLAGS}")
endforeach()
# GCC's posix thread model needs winpthread, which the clang driver does not
# add. Linked statically, as are the C++ runtime and libgcc the driver adds
# after it (system DLLs come through import archives all the same).
set(CMAKE_CXX_STANDARD_LIBRARIES "-Wl,-Bstatic -lpthread")
set(CMAKE_C_STANDARD_LIBRARIES "-Wl,-Bstatic -lpthread")
# CodeView for the .pdb files (cmake/windows.cmake asks lld for them), and
# thread-local variables emulated as GCC's runtime expects (std::call_once
# reaches the runtime's own thread-locals).
set(CMAKE_C_FLAGS_INIT "-gcodeview -femulated-tls")
set(CMAKE_CXX_FLAGS_INIT "-gcodeview -femulated-tls")

# Target headers and libraries come from the mingw-w64 sysroot only; host
# tools are still found on the host.
set(CMAKE_FIND_ROOT_PATH ${VELMO_MINGW_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
