# VelmoKivWrapper.lib: the import library MSVC's linker takes, made from the
# .def at build time. LLVM's dlltool writes the short import format that
# MSVC's own lib tool writes; for 32-bit x86 it decorates each cdecl name with
# the leading underscore MSVC expects and imports the plain name from the DLL.
# MinGW hosts keep using libVelmoKivWrapper.dll.a from the linker.
include_guard(GLOBAL)

find_program(VELMO_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-16 llvm-dlltool-15
  llvm-dlltool-14 DOC "LLVM's dlltool, for the MSVC import library (Debian: llvm)")
if(NOT VELMO_LLVM_DLLTOOL)
  message(FATAL_ERROR "llvm-dlltool not found: it writes VelmoKivWrapper.lib (Debian: llvm)")
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELMO_DLLTOOL_MACHINE i386:x86-64)
else()
  set(VELMO_DLLTOOL_MACHINE i386)
endif()
set(VELMO_MSVC_IMPORT_LIBRARY ${PROJECT_BINARY_DIR}/lib/VelmoKivWrapper.lib)
add_custom_command(OUTPUT ${VELMO_MSVC_IMPORT_LIBRARY}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/lib
  COMMAND ${VELMO_LLVM_DLLTOOL} -m ${VELMO_DLLTOOL_MACHINE} -D VelmoKivWrapper.dll -d ${VELMO_WRAPPER_DEF}
          -l ${VELMO_MSVC_IMPORT_LIBRARY}
  DEPENDS ${VELMO_WRAPPER_DEF}
  COMMENT "Writing the MSVC import library VelmoKivWrapper.lib"
  VERBATIM)
add_custom_target(VelmoKivWrapper_msvc_import_library ALL DEPENDS ${VELMO_MSVC_IMPORT_LIBRARY})
