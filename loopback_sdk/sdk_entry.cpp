// Entry points of the stand-in SDK.
#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/loopback_client.h"
#include "velmo_kiv_sdk/velmo_kiv_sdk.h"

namespace loopback = velmo::quon::kiv::loopback;

extern "C" {

KIV_SDK_API velmo::kiv::IKivClient* KIV_CALL createKivClient(const velmo::kiv::KivConfig* config,
                                                             int* errorCode) {
  return loopback::LoopbackClient::create(config, errorCode);
}

KIV_SDK_API const char* KIV_CALL getKivErrorReason(int errorCode) {
  return loopback::errorReason(errorCode);
}

KIV_SDK_API const char* KIV_CALL getKivVersion(int* build) {
  if (build) *build = 100;
  return "1.0.0-loopback";
}
}
