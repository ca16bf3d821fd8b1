// The stand-in's IKivLock: named locks of the service's channels.
#pragma once

#include <cstdint>

#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class LoopbackLock final : public sdk::IKivLock {
 public:
  explicit LoopbackLock(uint64_t clientId) : clientId_(clientId) {}

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
  const uint64_t clientId_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
