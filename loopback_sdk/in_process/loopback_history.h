// The stand-in's IKivHistory: pages of stored channel messages.
#pragma once

#include <cstdint>

#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class LoopbackHistory final : public sdk::IKivHistory {
 public:
  explicit LoopbackHistory(uint64_t clientId) : clientId_(clientId) {}

  int getMessages(const char* channelName, int channelType,
                  const sdk::GetHistoryMessagesOptions& options, uint64_t& requestId) override;

 private:
  const uint64_t clientId_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
