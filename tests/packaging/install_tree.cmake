# Installs the build tree into an empty prefix and checks what landed there:
# first the default install, which must leave the stand-in SDK out, then the
# component "loopback", which puts it into LOOPBACK_DIR only.
# Arguments: BUILD_DIR PREFIX CONFIG LIBDIR INCLUDEDIR LOOPBACK_DIR VERSION
# READELF and, per library (WRAPPER, SDK): <LIB>_FILE, <LIB>_SONAME, <LIB>_LINK
# file names.
file(REMOVE_RECURSE "${PREFIX}")
function(install_component)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" --config "${CONFIG}"
            ${ARGN}
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install ${ARGN} failed: ${rc}")
  endif()
endfunction()

install_component()
file(GLOB_RECURSE stand_in RELATIVE "${PREFIX}" "${PREFIX}/*velmo_kiv_sdk.so*")
if(stand_in)
  message(FATAL_ERROR "the default install holds the stand-in SDK: ${stand_in}")
endif()
install_component(--component loopback)

set(missing "")
foreach(path IN ITEMS
    ${INCLUDEDIR}/velmo_kiv_wrapper.h
    ${INCLUDEDIR}/quon_event_handler.h
    ${INCLUDEDIR}/velmo_kiv_sdk/kiv_records.h
    ${INCLUDEDIR}/velmo_kiv_sdk/kiv_interfaces.h
    ${INCLUDEDIR}/velmo_kiv_sdk/kiv_event_handler.h
    ${INCLUDEDIR}/velmo_kiv_sdk/velmo_kiv_sdk.h
    ${LIBDIR}/cmake/VelmoKivWrapper/VelmoKivWrapperConfig.cmake
    ${LIBDIR}/cmake/VelmoKivWrapper/VelmoKivWrapperConfigVersion.cmake
    ${LIBDIR}/cmake/VelmoKivWrapper/VelmoKivWrapperTargets.cmake
    ${LIBDIR}/pkgconfig/velmo-kiv-wrapper.pc
    ${LIBDIR}/${WRAPPER_FILE} ${LIBDIR}/${WRAPPER_SONAME} ${LIBDIR}/${WRAPPER_LINK}
    ${LOOPBACK_DIR}/${SDK_FILE} ${LOOPBACK_DIR}/${SDK_SONAME} ${LOOPBACK_DIR}/${SDK_LINK})
  if(NOT EXISTS "${PREFIX}/${path}")
    list(APPEND missing ${path})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not installed: ${missing}")
endif()

# The unversioned and SONAME names are links to the one versioned file.
set(WRAPPER_DIR ${LIBDIR})
set(SDK_DIR ${LOOPBACK_DIR})
foreach(lib IN ITEMS WRAPPER SDK)
  if(NOT ${lib}_FILE MATCHES "\\.so\\.${VERSION}$")
    message(FATAL_ERROR "${${lib}_FILE} does not carry the version ${VERSION}")
  endif()
  foreach(link IN ITEMS ${${lib}_SONAME} ${${lib}_LINK})
    if(NOT IS_SYMLINK "${PREFIX}/${${lib}_DIR}/${link}")
      message(FATAL_ERROR "${link} is not a link")
    endif()
    file(REAL_PATH "${PREFIX}/${${lib}_DIR}/${link}" target)
    get_filename_component(target "${target}" NAME)
    if(NOT target STREQUAL "${${lib}_FILE}")
      message(FATAL_ERROR "${link} leads to ${target}, expected ${${lib}_FILE}")
    endif()
  endforeach()
endforeach()

# The installed library names its SONAME, needs the SDK by its SONAME, and
# looks for it beside itself, where the vendor's library goes.
execute_process(COMMAND "${READELF}" -d "${PREFIX}/${LIBDIR}/${WRAPPER_FILE}"
  OUTPUT_VARIABLE dynamic RESULT_VARIABLE rc)
foreach(entry IN ITEMS "soname: [${WRAPPER_SONAME}]" "Shared library: [${SDK_SONAME}]"
                       "[$ORIGIN]")
  string(FIND "${dynamic}" "${entry}" at)
  if(NOT rc EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "${WRAPPER_FILE}: no dynamic entry ${entry}\n${dynamic}")
  endif()
endforeach()
message(STATUS "installed tree in ${PREFIX} is complete")
