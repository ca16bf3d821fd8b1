// Entry points of the messaging SDK library. On Windows the wrapper imports
// them by ordinal: createKivClient 2, getKivErrorReason 6, getKivVersion 7.
#pragma once

#include "velmo_kiv_sdk/kiv_event_handler.h"
#include "velmo_kiv_sdk/kiv_interfaces.h"
#include "velmo_kiv_sdk/kiv_records.h"

#if defined(_WIN32) && !defined(_WIN64)
#define KIV_CALL __cdecl
#else
#define KIV_CALL
#endif

#if defined(_WIN32)
#if defined(VELMO_KIV_SDK_BUILDING)
// The SDK's .def exports the entries by ordinal only; dllexport would add
// their names (lld does), and the library would then import them by name.
#define KIV_SDK_API
#else
#define KIV_SDK_API __declspec(dllimport)
#endif
#else
#define KIV_SDK_API __attribute__((visibility("default")))
#endif

extern "C" {

// Creates a client from the configuration. Returns null on failure with the
// reason in *errorCode (which the caller zeroes first; it may be null).
KIV_SDK_API velmo::kiv::IKivClient* KIV_CALL createKivClient(const velmo::kiv::KivConfig* config,
                                                             int* errorCode);

// A static, NUL-terminated text describing an error code; never null.
KIV_SDK_API const char* KIV_CALL getKivErrorReason(int errorCode);

// The SDK's version text; stores its build number in *build when build is not null.
KIV_SDK_API const char* KIV_CALL getKivVersion(int* build);
}
