// The stand-in's IKivLock, whichever backend serves it: named locks of a
// channel, with time to live and a line of waiting acquisitions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class SdkLock final : public sdk::IKivLock {
 public:
  explicit SdkLock(FaceRequests& requests) : requests_(requests) {}

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
  using Operation = std::function<int(Backend&, const ChannelKey&, const std::string&)>;
  using LockCallback = void (sdk::IKivEventHandler::*)(uint64_t, const char*, int, const char*,
                                                       int);
  // A request on one named lock whose result names the channel and the lock.
  int onLock(const char* channelName, int channelType, const char* lockName,
             const Operation& operation, LockCallback callback, uint64_t& requestId);

  FaceRequests& requests_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
