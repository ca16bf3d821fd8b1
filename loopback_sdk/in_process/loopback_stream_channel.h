// The stand-in's IStreamChannel: a channel joined with presence, whose members
// publish into topics and subscribe to the publishers of a topic.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class LoopbackStreamChannel final : public sdk::IStreamChannel {
 public:
  // handler: the client's event handler, which also gets the results of
  // requests made after the client was released.
  LoopbackStreamChannel(uint64_t clientId, std::string name, sdk::IKivEventHandler* handler);
  ~LoopbackStreamChannel();

  int join(const sdk::JoinChannelOptions& options, uint64_t& requestId) override;
  int renewToken(const char* token, uint64_t& requestId) override;
  int leave(uint64_t& requestId) override;
  const char* getChannelName() override { return name_.c_str(); }
  int joinTopic(const char* topic, const sdk::JoinTopicOptions& options,
                uint64_t& requestId) override;
  int publishTopicMessage(const char* topic, const char* message, size_t length,
                          const sdk::TopicMessageOptions& option, uint64_t& requestId) override;
  int leaveTopic(const char* topic, uint64_t& requestId) override;
  int subscribeTopic(const char* topic, const sdk::TopicOptions& options,
                     uint64_t& requestId) override;
  int unsubscribeTopic(const char* topic, const sdk::TopicOptions& options,
                       uint64_t& requestId) override;
  int getSubscribedUserList(const char* topic, uint64_t& requestId) override;
  int setParameters(const char* parameters) override;
  int release() override;

  // Its client was released first: every later request answers
  // kClientReleased, its result delivered on a thread of the channel's own.
  // Called under the service lock.
  void orphan() { clientId_ = 0; }

 private:
  template <class Body, class Result>
  int request(uint64_t& requestId, Body&& body, Result&& result);

  // Read and written only under the service lock.
  uint64_t clientId_;
  const std::string name_;
  sdk::IKivEventHandler* const handler_;
  std::unique_ptr<EventDispatcher> clientGoneReplies_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
