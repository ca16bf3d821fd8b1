// The stand-in's IKivClient: one user's session with the in-process service,
// with its own SDK thread for callbacks.
#pragma once

#include <cstdint>

#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/in_process/loopback_history.h"
#include "loopback_sdk/in_process/loopback_lock.h"
#include "loopback_sdk/in_process/loopback_presence.h"
#include "loopback_sdk/in_process/loopback_storage.h"
#include "loopback_sdk/sdk_namespace.h"

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
  LoopbackClient(uint64_t id, sdk::IKivEventHandler* handler);
  ~LoopbackClient() = default;

  const uint64_t id_;
  EventDispatcher dispatcher_;
  LoopbackStorage storage_;
  LoopbackLock lock_;
  LoopbackPresence presence_;
  LoopbackHistory history_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
