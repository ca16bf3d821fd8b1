// Entry points of the stand-in SDK.
#include <cstdlib>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/in_process/loopback_client.h"
#include "velmo_kiv_sdk/velmo_kiv_sdk.h"
#ifdef VELMO_LOOPBACK_WITH_REDIS
#include "loopback_sdk/redis/redis_client.h"
#endif

namespace loopback = velmo::quon::kiv::loopback;

extern "C" {

// The in-process service unless VELMO_KIV_LOOPBACK_REDIS names a Redis server
// ("host:port" or "redis://host:port/db"); read at each client's creation.
KIV_SDK_API velmo::kiv::IKivClient* KIV_CALL createKivClient(const velmo::kiv::KivConfig* config,
                                                             int* errorCode) {
#ifdef VELMO_LOOPBACK_WITH_REDIS
  const char* redis = std::getenv("VELMO_KIV_LOOPBACK_REDIS");
  if (redis && *redis) return loopback::RedisClient::create(config, redis, errorCode);
#endif
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
