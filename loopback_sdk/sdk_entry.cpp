// Entry points of the stand-in SDK.
#include <cstdlib>
#include <memory>
#include <string>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/in_process/in_process_backend.h"
#include "loopback_sdk/sdk_client.h"
#include "velmo_kiv_sdk/velmo_kiv_sdk.h"
#ifdef VELMO_LOOPBACK_WITH_REDIS
#include "loopback_sdk/redis/redis_backend.h"
#endif

namespace loopback = velmo::quon::kiv::loopback;

extern "C" {

// The in-process service unless VELMO_KIV_LOOPBACK_REDIS names a Redis server
// ("host:port" or "redis://host:port/db"); read at each client's creation.
KIV_SDK_API velmo::kiv::IKivClient* KIV_CALL createKivClient(const velmo::kiv::KivConfig* config,
                                                             int* errorCode) {
  const char* redis = std::getenv("VELMO_KIV_LOOPBACK_REDIS");
  const std::string address = redis ? redis : "";
  const auto makeBackend = [&address](const loopback::BackendClient& client,
                                      std::unique_ptr<loopback::Backend>& made) -> int {
#ifdef VELMO_LOOPBACK_WITH_REDIS
    if (!address.empty()) return loopback::RedisBackend::make(address, client, made);
#else
    (void)address;
#endif
    made = std::make_unique<loopback::InProcessBackend>(client);
    return loopback::kOk;
  };
  return loopback::SdkClient::create(config, makeBackend, errorCode);
}

KIV_SDK_API const char* KIV_CALL getKivErrorReason(int errorCode) {
  return loopback::errorReason(errorCode);
}

KIV_SDK_API const char* KIV_CALL getKivVersion(int* build) {
  if (build) *build = 100;
  return "1.0.0-loopback";
}
}
