# spdlog and fmt are compiled into the library from their headers: the library
# keeps a private logger registry, default logger and pattern, and a host that
# uses spdlog itself (shared or not) can neither change nor shut them down, nor
# be changed by them. With hidden visibility and the export list nothing of
# either leaves the library. The Windows build gets the same header-only
# targets from cmake/windows.cmake.
add_library(velmo_private_logging INTERFACE)
if(WIN32)
  target_link_libraries(velmo_private_logging INTERFACE spdlog::spdlog fmt::fmt)
else()
  find_path(VELMO_SPDLOG_INCLUDE_DIR spdlog/spdlog.h REQUIRED)
  find_path(VELMO_FMT_INCLUDE_DIR fmt/format.h REQUIRED)
  target_compile_definitions(velmo_private_logging INTERFACE
    SPDLOG_HEADER_ONLY SPDLOG_FMT_EXTERNAL FMT_HEADER_ONLY)
  foreach(dir IN LISTS VELMO_SPDLOG_INCLUDE_DIR VELMO_FMT_INCLUDE_DIR)
    if(NOT dir IN_LIST CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
      target_include_directories(velmo_private_logging INTERFACE ${dir})
    endif()
  endforeach()
endif()
