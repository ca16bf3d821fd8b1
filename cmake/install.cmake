# Install rules: the library with its debug file, the public headers, a CMake
# package (find_package(VelmoKivWrapper) -> VelmoKivWrapper::VelmoKivWrapper)
# and a pkg-config file. The loopback stand-in SDK only when asked for, as the
# component "loopback", in a folder of its own: under the real SDK's name
# beside the wrapper it would shadow or replace the vendor's library.
#   cmake --install build --component loopback
# Included once from the top CMakeLists.txt, after the targets exist.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
# What ships is stripped, with its .debug file (cmake/debug-info.cmake); the
# stand-in's is set up in loopback_sdk/.
velmo_split_debug_info(VelmoKivWrapper)

set(VELMO_LOOPBACK_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/VelmoKivWrapper/loopback CACHE STRING
  "Where the component 'loopback' puts the stand-in SDK, relative to the prefix")

set(VELMO_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VelmoKivWrapper)

# Versioned file names with a SONAME of the major version on ELF platforms; on
# Windows the version goes into the DLL header only.
set_target_properties(VelmoKivWrapper velmo_kiv_sdk PROPERTIES
  VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})

if(WIN32)
  # The .def that fixes the DLL's export table (cmake/windows-dlls.cmake) and
  # the MSVC import library made from it go beside MinGW's import library.
  install(FILES ${VELMO_WRAPPER_DEF} ${VELMO_MSVC_IMPORT_LIBRARY}
    DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${VELMO_SDK_DEF} DESTINATION ${VELMO_LOOPBACK_INSTALL_DIR}
    COMPONENT loopback EXCLUDE_FROM_ALL)
elseif(NOT APPLE)
  # The installed library finds the SDK beside itself.
  set_target_properties(VelmoKivWrapper PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()

# DLLs to bin/, import libraries to lib/; shared objects with their versioned
# names and SONAME links to lib/.
install(TARGETS VelmoKivWrapper
  EXPORT VelmoKivWrapperTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# Options before any artifact kind hold for all of its files.
install(TARGETS velmo_kiv_sdk
  DESTINATION ${VELMO_LOOPBACK_INSTALL_DIR} COMPONENT loopback EXCLUDE_FROM_ALL)

# Each library's .debug file beside it (cmake/debug-info.cmake).
velmo_debug_info_file(VelmoKivWrapper wrapper_debug)
velmo_debug_info_file(velmo_kiv_sdk sdk_debug)
if(wrapper_debug)
  if(WIN32)
    set(wrapper_debug_dir ${CMAKE_INSTALL_BINDIR})
  else()
    set(wrapper_debug_dir ${CMAKE_INSTALL_LIBDIR})
  endif()
  install(FILES ${wrapper_debug} DESTINATION ${wrapper_debug_dir})
  install(FILES ${sdk_debug} DESTINATION ${VELMO_LOOPBACK_INSTALL_DIR}
    COMPONENT loopback EXCLUDE_FROM_ALL)
endif()

install(FILES
  ${PROJECT_SOURCE_DIR}/include/velmo_kiv_wrapper.h
  ${PROJECT_SOURCE_DIR}/include/quon_event_handler.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/velmo_kiv_sdk
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")

# CMake package.
install(EXPORT VelmoKivWrapperTargets
  NAMESPACE VelmoKivWrapper::
  DESTINATION ${VELMO_CMAKE_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VelmoKivWrapperConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VelmoKivWrapperConfig.cmake
  INSTALL_DESTINATION ${VELMO_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VelmoKivWrapperConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/VelmoKivWrapperConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/VelmoKivWrapperConfigVersion.cmake
  DESTINATION ${VELMO_CMAKE_PACKAGE_DIR})

# pkg-config file. Its prefix is found from the file's own place, so the tree
# stays usable when installed with `cmake --install --prefix` elsewhere;
# directories given as absolute paths stay absolute.
set(VELMO_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${VELMO_PC_DIR}")
  set(VELMO_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH VELMO_PC_TO_PREFIX /prefix/${VELMO_PC_DIR} /prefix)
  string(REGEX REPLACE "/$" "" VELMO_PC_TO_PREFIX "${VELMO_PC_TO_PREFIX}")
  set(VELMO_PC_PREFIX "\${pcfiledir}/${VELMO_PC_TO_PREFIX}")
endif()
foreach(dir IN ITEMS LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(VELMO_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(VELMO_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/velmo-kiv-wrapper.pc.in
  ${CMAKE_CURRENT_BINARY_DIR}/velmo-kiv-wrapper.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velmo-kiv-wrapper.pc DESTINATION ${VELMO_PC_DIR})
