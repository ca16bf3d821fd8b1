// The Redis backend's IStreamChannel: a channel of type 2 in the shared
// service, whose members publish into topics and follow a topic's publishers.
// A channel outlives its client safely: once the client is released, every
// request is answered kClientReleased on a thread of the channel's own.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class RedisClient;
class RedisStreamChannels;

// What a channel and its client's registry share: the client while it lives.
struct StreamChannelLink {
  std::mutex mutex;                         // held for the whole of each request
  RedisClient* client = nullptr;            // null once the client was released
  RedisStreamChannels* channels = nullptr;  // the client's registry, valid with client
};

class RedisStreamChannel final : public sdk::IStreamChannel {
 public:
  // handler: the client's, which also gets results after the client went.
  RedisStreamChannel(std::shared_ptr<StreamChannelLink> link, std::string name,
                     sdk::IKivEventHandler* handler);
  ~RedisStreamChannel();

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

 private:
  using Body = std::function<int(RedisClient& client, std::vector<Event>& followUps)>;
  using ResultEvent = std::function<Event(uint64_t id, int code)>;
  // Through the client while it lives, answered kClientReleased after.
  int request(uint64_t& requestId, const Body& body, const ResultEvent& result);

  const std::shared_ptr<StreamChannelLink> link_;
  const std::string name_;
  sdk::IKivEventHandler* const handler_;
  std::unique_ptr<EventDispatcher> clientGoneReplies_;  // guarded by link_->mutex
};

// A client's live stream channels, one per name.
class RedisStreamChannels {
 public:
  // Null with kInvalidChannelName or kStreamChannelExists in *errorCode.
  sdk::IStreamChannel* create(RedisClient& client, const char* name, sdk::IKivEventHandler* handler,
                              int* errorCode);
  void forget(const std::string& name);
  // The client is going: its channels stop reaching it.
  void orphanAll();

 private:
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<StreamChannelLink>> channels_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
