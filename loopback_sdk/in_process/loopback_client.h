// The stand-in's IKivClient: one user's session with the in-process service,
// with its own SDK thread for callbacks.
#pragma once

#include <cstdint>
#include <string>

#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/in_process/in_process_backend.h"
#include "loopback_sdk/sdk_history.h"
#include "loopback_sdk/sdk_lock.h"
#include "loopback_sdk/sdk_namespace.h"
#include "loopback_sdk/sdk_presence.h"
#include "loopback_sdk/sdk_storage.h"
#include "loopback_sdk/sdk_stream_channel.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class LoopbackClient final : public sdk::IKivClient {
 public:
  // Null with the reason in *errorCode when the configuration lacks an app or user id.
  static LoopbackClient* create(const sdk::KivConfig* config, int* errorCode);

  int release() override;
  int login(const char* token, uint64_t& requestId) override;
  int logout(uint64_t& requestId) override;
  sdk::IKivStorage* getStorage() override { return &storage_; }
  sdk::IKivLock* getLock() override { return &lock_; }
  sdk::IKivPresence* getPresence() override { return &presence_; }
  sdk::IKivHistory* getHistory() override { return &history_; }
  int renewToken(const char* token, uint64_t& requestId) override;
  int publish(const char* channelName, const char* message, size_t length,
              const sdk::PublishOptions& options, uint64_t& requestId) override;
  int subscribe(const char* channelName, const sdk::SubscribeOptions& options,
                uint64_t& requestId) override;
  int unsubscribe(const char* channelName, uint64_t& requestId) override;
  sdk::IStreamChannel* createStreamChannel(const char* channelName, int* errorCode) override;
  int setParameters(const char* parameters) override;

 private:
  LoopbackClient(uint64_t id, std::string userId, sdk::IKivEventHandler* handler);
  ~LoopbackClient() = default;

  const uint64_t id_;
  EventDispatcher dispatcher_;
  InProcessBackend backend_;
  FaceRequests requests_{backend_};
  SdkStorage storage_{requests_};
  SdkLock lock_{requests_};
  SdkPresence presence_{requests_};
  SdkHistory history_{requests_};
  SdkStreamChannels streamChannels_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
