// The Redis backend's IKivLock: named channel locks kept by the shared
// service, so holders and waiters may be clients of different processes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class RedisClient;

class RedisLock final : public sdk::IKivLock {
 public:
  explicit RedisLock(RedisClient& client) : client_(client) {}

  int setLock(const char* channelName, int channelType, const char* lockName, uint32_t ttl,
              uint64_t& requestId) override;
  int getLocks(const char* channelName, int channelType, uint64_t& requestId) override;
  int removeLock(const char* channelName, int channelType, const char* lockName,
                 uint64_t& requestId) override;
  int acquireLock(const char* channelName, int channelType, const char* lockName, bool retry,
                  uint64_t& requestId) override;
  int releaseLock(const char* channelName, int channelType, const char* lockName,
                  uint64_t& requestId) override;
  int revokeLock(const char* channelName, int channelType, const char* lockName, const char* owner,
                 uint64_t& requestId) override;

 private:
  using LockResult = void (sdk::IKivEventHandler::*)(uint64_t, const char*, int, const char*, int);
  // A request on one named lock: the target checked, then refusal (a code of
  // the request's own checks, 0 when none), then the service's op run with
  // (type, channel, lock, extra...).
  int onLock(const char* op, const char* channelName, int channelType, const char* lockName,
             int refusal, std::vector<std::string> extra, LockResult result, uint64_t& requestId);

  RedisClient& client_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
