// The Redis backend's IKivHistory: pages of the messages stored in the shared
// service, as the in-process history gives them.
#pragma once

#include <cstdint>

#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class RedisClient;

class RedisHistory final : public sdk::IKivHistory {
 public:
  explicit RedisHistory(RedisClient& client) : client_(client) {}

  int getMessages(const char* channelName, int channelType,
                  const sdk::GetHistoryMessagesOptions& options, uint64_t& requestId) override;

 private:
  RedisClient& client_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
