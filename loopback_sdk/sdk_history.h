// The stand-in's IKivHistory, whichever backend serves it: pages of stored
// channel messages.
#pragma once

#include <cstdint>

#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class SdkHistory final : public sdk::IKivHistory {
 public:
  explicit SdkHistory(FaceRequests& requests) : requests_(requests) {}

  int getMessages(const char* channelName, int channelType,
                  const sdk::GetHistoryMessagesOptions& options, uint64_t& requestId) override;

 private:
  FaceRequests& requests_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
