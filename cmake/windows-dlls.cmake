# The two DLLs under their Windows names, with export tables fixed by .def
# files: the wrapper's eleven plain names, and the stand-in SDK's three
# entries by ordinal only, as the real SDK has them.
include_guard(GLOBAL)

set_target_properties(VelmoKivWrapper velmo_kiv_sdk PROPERTIES PREFIX "")

# Also installed beside the import libraries (cmake/install.cmake).
set(VELMO_WRAPPER_DEF ${PROJECT_SOURCE_DIR}/src/kiv/src/VelmoKivWrapper.def)
set(VELMO_SDK_DEF ${PROJECT_SOURCE_DIR}/loopback_sdk/velmo_kiv_sdk.def)

target_sources(VelmoKivWrapper PRIVATE ${VELMO_WRAPPER_DEF})
# loopback_sdk/CMakeLists.txt lists VELMO_SDK_DEF among the SDK's sources. The
# linker also writes the SDK's import library from it, so whatever links
# velmo_kiv_sdk imports its entries by ordinal, not by name.

include(${CMAKE_CURRENT_LIST_DIR}/windows-version-resource.cmake)
velmo_add_version_resource(VelmoKivWrapper "${PROJECT_NAME}"
  "Drives the velmo_kiv_sdk messaging SDK by API name and JSON text")
velmo_add_version_resource(velmo_kiv_sdk "${PROJECT_NAME} loopback stand-in SDK"
  "Loopback stand-in for velmo_kiv_sdk, for tests and demos only; not the vendor's SDK")

include(${CMAKE_CURRENT_LIST_DIR}/windows-import-library.cmake)
