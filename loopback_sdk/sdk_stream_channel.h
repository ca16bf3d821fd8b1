// The stand-in's IStreamChannel, whichever backend serves it: a channel
// joined with presence, whose members publish into topics and follow a
// topic's publishers. A channel outlives its client safely: once the client
// is released, every request is answered kClientReleased on a thread of the
// channel's own.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class SdkStreamChannels;
class SdkStreamChannel;

// What a channel and its client's registry share: the client while it lives.
struct StreamChannelLink {
  std::mutex mutex;                       // held for the whole of each request
  FaceRequests* requests = nullptr;       // null once the client was released
  SdkStreamChannels* channels = nullptr;  // the client's registry, valid with requests
  SdkStreamChannel* channel = nullptr;    // the object the host holds
};

class SdkStreamChannel final : public sdk::IStreamChannel {
 public:
  // handler: the client's, which also gets results after the client went.
  SdkStreamChannel(std::shared_ptr<StreamChannelLink> link, std::string name,
                   sdk::IKivEventHandler* handler);
  ~SdkStreamChannel();

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
  using Body = std::function<int(Backend& backend, std::vector<Event>& followUps)>;
  // Through the client while it lives, answered kClientReleased after.
  int request(uint64_t& requestId, const Body& body, const Backend::ResultEvent& result);
  // A request on a named topic of the channel.
  int onTopic(const std::string& topic, uint64_t& requestId,
              const std::function<int(Backend& backend)>& operation,
              const Backend::ResultEvent& result);

  const std::shared_ptr<StreamChannelLink> link_;
  const std::string name_;
  sdk::IKivEventHandler* const handler_;
  std::unique_ptr<EventDispatcher> clientGoneReplies_;  // guarded by link_->mutex
};

// A client's live stream channels, one per name.
class SdkStreamChannels {
 public:
  // Null with kInvalidChannelName or kStreamChannelExists in *errorCode.
  sdk::IStreamChannel* create(FaceRequests& requests, const char* name,
                              sdk::IKivEventHandler* handler, int* errorCode);
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
