# The three build constants written into the log's version line: the version
# text, the source revision (40 hex digits, taken from git at configure time)
# and a decimal build number. They land in a generated header in the build tree
# that the library's sources include as "velmo_build_version.h".

set(VELMO_KIV_VERSION_TEXT "${PROJECT_VERSION}-build.1"
    CACHE STRING "Version text of the library, as written to its log")
set(VELMO_KIV_BUILD_NUMBER "" CACHE STRING
    "Decimal build number; empty takes the number of commits of the source tree")

find_package(Git QUIET)

set(velmo_revision "")
if(GIT_FOUND)
  execute_process(
    COMMAND ${GIT_EXECUTABLE} rev-parse HEAD
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE velmo_revision
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
endif()
if(NOT velmo_revision MATCHES "^[0-9a-f]+$")
  set(velmo_revision "")
endif()
string(LENGTH "${velmo_revision}" velmo_revision_length)
if(NOT velmo_revision_length EQUAL 40)
  # No git, not a checkout, or a hash of another length: a revision of zeros.
  string(REPEAT "0" 40 velmo_revision)
endif()

set(velmo_build_number "${VELMO_KIV_BUILD_NUMBER}")
if(velmo_build_number STREQUAL "" AND GIT_FOUND)
  execute_process(
    COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE velmo_build_number
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
endif()
if(NOT velmo_build_number MATCHES "^[0-9]+$")
  set(velmo_build_number "0")
endif()

set(VELMO_KIV_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${VELMO_KIV_GENERATED_DIR}/velmo_build_version.h
  CONTENT [=[// Generated at configure time by cmake/version.cmake; do not edit.
#pragma once

#define VELMO_KIV_VERSION_TEXT "@VELMO_KIV_VERSION_TEXT@"
#define VELMO_KIV_SOURCE_REVISION "@velmo_revision@"
#define VELMO_KIV_BUILD_NUMBER "@velmo_build_number@"
]=] @ONLY)
include_directories(${VELMO_KIV_GENERATED_DIR})

# Re-read the revision when HEAD moves, so the constants follow the checkout.
if(EXISTS ${PROJECT_SOURCE_DIR}/.git/HEAD)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/.git/HEAD)
  file(READ ${PROJECT_SOURCE_DIR}/.git/HEAD velmo_git_head)
  if(velmo_git_head MATCHES "^ref: ([^\n]+)")
    set(velmo_git_ref ${PROJECT_SOURCE_DIR}/.git/${CMAKE_MATCH_1})
    if(EXISTS ${velmo_git_ref})
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${velmo_git_ref})
    endif()
  endif()
endif()
