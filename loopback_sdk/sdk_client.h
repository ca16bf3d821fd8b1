// The stand-in's IKivClient, whichever backend serves it: one user's session
// with the messaging service, with its own SDK thread for callbacks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/client_parameters.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/sdk_constants.h"
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

// Makes the backend of a new client: kOk, or the code create answers with.
using BackendMaker =
    std::function<int(const BackendClient& client, std::unique_ptr<Backend>& made)>;

class SdkClient final : public sdk::IKivClient {
 public:
  // Null with the reason in *errorCode when the configuration lacks an app
  // or user id, or the backend cannot be made.
  static SdkClient* create(const sdk::KivConfig* config, const BackendMaker& makeBackend,
                           int* errorCode);

  int release() override;
  int login(const char* token, uint64_t& requestId) override;
  int logout(uint64_t& requestId) override;
  sdk::IKivStorage* getStorage() override { return &parts_->storage; }
  sdk::IKivLock* getLock() override { return &parts_->lock; }
  sdk::IKivPresence* getPresence() override { return &parts_->presence; }
  sdk::IKivHistory* getHistory() override { return &parts_->history; }
  int renewToken(const char* token, uint64_t& requestId) override;
  int publish(const char* channelName, const char* message, size_t length,
              const sdk::PublishOptions& options, uint64_t& requestId) override;
  int subscribe(const char* channelName, const sdk::SubscribeOptions& options,
                uint64_t& requestId) override;
  int unsubscribe(const char* channelName, uint64_t& requestId) override;
  sdk::IStreamChannel* createStreamChannel(const char* channelName, int* errorCode) override;
  int setParameters(const char* parameters) override;

 private:
  // What the client's requests go through, made once the backend is.
  struct Parts {
    Parts(Backend& backend, EventDispatcher& events) : requests(backend, events) {}
    FaceRequests requests;
    SdkStorage storage{requests};
    SdkLock lock{requests};
    SdkPresence presence{requests};
    SdkHistory history{requests};
    SdkStreamChannels streamChannels;
  };
  // What a reconnection due later may still reach: the backend while the client lives.
  struct Reachable {
    std::mutex mutex;
    Backend* backend = nullptr;
  };

  explicit SdkClient(sdk::IKivEventHandler* handler) : dispatcher_(handler) {}
  ~SdkClient();
  int applyParameters(const ClientParameters& parsed);
  void reconnectAfter(uint32_t delayMs, uint64_t session);

  EventDispatcher dispatcher_;
  std::unique_ptr<Backend> backend_;
  std::unique_ptr<Parts> parts_;
  std::shared_ptr<Reachable> reachable_ = std::make_shared<Reachable>();
  // Read and written only inside parts_->requests.exclusive.
  uint32_t reconnectDelayMs_ = kDefaultReconnectDelayMs;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
