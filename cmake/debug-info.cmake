# Shipped libraries without their debug information.
#
# Linux: with VELMO_SPLIT_DEBUG_INFO each library is stripped right after it
# is linked, its debug information kept in <file>.debug beside it and named in
# the library's .gnu_debuglink section, which GDB follows. Off by default: a
# developer build keeps its debug information in place.
#
# Windows (clang and lld, cmake/toolchains/mingw-clang.cmake): the debug
# information is CodeView, and lld writes it to <dll>.pdb beside each DLL in
# every build (cmake/windows.cmake), giving the DLL a debug directory record
# that names the .pdb and carries the GUID and age the .pdb must match. What
# VELMO_SPLIT_DEBUG_INFO strips there is the DWARF that the statically linked
# GCC and mingw-w64 runtime libraries bring along, which no Windows debugger
# reads: the record is then all the DLL keeps of debug information.
#
# Tests run on the stripped files, as hosts get them.
include_guard(GLOBAL)

option(VELMO_SPLIT_DEBUG_INFO
  "Strip the libraries after linking; their debug information stays in <file>.debug (ELF) or <dll>.pdb (Windows)" OFF)

if(WIN32)
  # File names in the .pdb. cmake/reproducible.cmake makes both the compile
  # folder and the file names relative ("./build/src" and "./src/x.cpp");
  # clang joins the two for CodeView ("build\src\src\x.cpp") and lld puts
  # its own working folder in front of whatever is still relative. With "."
  # as the compile folder and a fixed base instead, a file of the checkout is
  # C:\VelmoKivWrapper\<its path in the checkout>, and one made in the build
  # folder C:\VelmoKivWrapper\build\<its path there>: a checkout at that
  # place, or a debugger's source path that names one, finds the sources.
  # lld also writes that base where the .pdb would name its working folder.
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-fdebug-compilation-dir=.>")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,--Xlink=-pdbsourcepath:C:/VelmoKivWrapper")
endif()

# velmo_split_debug_info(<target>): called in the folder that makes the
# target, as build steps belong to it.
function(velmo_split_debug_info target)
  if(NOT VELMO_SPLIT_DEBUG_INFO)
    return()
  endif()
  if(WIN32)
    # llvm-objcopy rewrites a PE image keeping its debug directory (in lld's
    # .buildid section) and the exception tables (.eh_frame) in place.
    find_program(VELMO_LLVM_OBJCOPY NAMES llvm-objcopy-14 llvm-objcopy)
    if(NOT VELMO_LLVM_OBJCOPY)
      message(FATAL_ERROR "VELMO_SPLIT_DEBUG_INFO needs llvm-objcopy (Debian: llvm-14)")
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${VELMO_LLVM_OBJCOPY} --strip-debug $<TARGET_FILE:${target}>
      COMMENT "Stripping the runtime's DWARF from ${target}; its debug information is in its .pdb"
      VERBATIM)
    return()
  endif()
  if(NOT CMAKE_OBJCOPY)
    message(FATAL_ERROR "VELMO_SPLIT_DEBUG_INFO needs objcopy (CMAKE_OBJCOPY)")
  endif()
  # The debug link records the bare file name and a checksum of the .debug
  # file, so it is added from inside the output folder.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
            $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-unneeded
            --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Moving the debug information of ${target} to its .debug file"
    VERBATIM)
endfunction()

# velmo_debug_info_file(<target> <out>): the file that holds the target's
# debug information apart from it: on Windows its .pdb, which lld writes in
# every build; elsewhere its .debug file, or nothing when debug information
# stays in place.
function(velmo_debug_info_file target out)
  if(WIN32)
    set(${out}
      "$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_PREFIX:${target}>$<TARGET_FILE_BASE_NAME:${target}>.pdb"
      PARENT_SCOPE)
  elseif(VELMO_SPLIT_DEBUG_INFO)
    set(${out} "$<TARGET_FILE:${target}>.debug" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()
