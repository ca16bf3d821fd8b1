# A VERSIONINFO resource for each DLL, from the project version: what
# Explorer's Details tab, installers and crash reports show.
include_guard(GLOBAL)
enable_language(RC)

set(VELMO_COMPANY_NAME "Velmo" CACHE STRING "Company name in the DLLs' version resource")
# The copyright year is the year of the commit being built, so two builds of
# one commit carry the same text.
set(velmo_copyright_year "")
if(GIT_FOUND)
  execute_process(
    COMMAND ${GIT_EXECUTABLE} log -1 --format=%cd --date=format:%Y
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE velmo_copyright_year OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT velmo_copyright_year MATCHES "^[0-9]+$")
  set(velmo_copyright_year "")
endif()
string(STRIP "Copyright (C) ${velmo_copyright_year} ${VELMO_COMPANY_NAME}" velmo_copyright)
string(REPLACE "  " " " velmo_copyright "${velmo_copyright}")

# velmo_add_version_resource(<target> <product> <description>): the resource
# names the target's file, e.g. VelmoKivWrapper.dll.
function(velmo_add_version_resource target product description)
  set(VELMO_RC_DESCRIPTION "${description}")
  set(VELMO_RC_INTERNAL_NAME "${target}")
  set(VELMO_RC_FILE_NAME "${target}.dll")
  set(VELMO_RC_PRODUCT "${product}")
  set(VELMO_RC_COMPANY "${VELMO_COMPANY_NAME}")
  set(VELMO_RC_COPYRIGHT "${velmo_copyright}")
  # FILEVERSION takes four numbers; parts the version lacks are 0.
  set(parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
            ${PROJECT_VERSION_TWEAK})
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(JOIN parts "," VELMO_RC_VERSION_COMMAS)
  set(rc ${PROJECT_BINARY_DIR}/generated/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
