// The stand-in's IStreamChannel: a channel joined with presence, whose members
// publish into topics and subscribe to the publishers of a topic.
#pragma once

#include <cstdint>
#include <string>

#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class LoopbackStreamChannel final : public sdk::IStreamChannel {
 public:
  LoopbackStreamChannel(uint64_t clientId, std::string name)
      : clientId_(clientId), name_(std::move(name)) {}
  ~LoopbackStreamChannel() = default;

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
  // kClientReleased without a callback. Called under the service lock.
  void orphan() { clientId_ = 0; }

 private:
  // Read and written only under the service lock.
  uint64_t clientId_;
  const std::string name_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
