// Entry points of the stand-in SDK.
#include "velmo_kiv_sdk/velmo_kiv_sdk.h"

extern "C" {

KIV_SDK_API velmo::kiv::IKivClient* KIV_CALL createKivClient(const velmo::kiv::KivConfig*,
                                                             int* errorCode) {
  if (errorCode) *errorCode = 1;
  return nullptr;
}

KIV_SDK_API const char* KIV_CALL getKivErrorReason(int errorCode) {
  return errorCode == 0 ? "ok" : "client creation is not available";
}

KIV_SDK_API const char* KIV_CALL getKivVersion(int* build) {
  if (build) *build = 1;
  return "0.1.0-loopback";
}
}
