#include "loopback_sdk/sdk_stream_channel.h"

#include <set>
#include <utility>

#include "loopback_sdk/ids.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

// Channels the host still holds after their client went. A host may release
// them whenever it likes; those it never releases are freed with the library,
// when no host can reach them any more.
struct OrphanChannels {
  std::mutex mutex;
  std::set<SdkStreamChannel*> channels;
  ~OrphanChannels() {
    for (SdkStreamChannel* channel : channels) delete channel;
  }
};

OrphanChannels g_orphans;

}  // namespace

SdkStreamChannel::SdkStreamChannel(std::shared_ptr<StreamChannelLink> link, std::string name,
                                   IKivEventHandler* handler)
    : link_(std::move(link)), name_(std::move(name)), handler_(handler) {}

SdkStreamChannel::~SdkStreamChannel() = default;

int SdkStreamChannel::request(uint64_t& requestId, const Body& body,
                              const Backend::ResultEvent& result) {
  try {
    std::lock_guard<std::mutex> lock(link_->mutex);
    if (FaceRequests* requests = link_->requests) {
      return requests->run(
          requestId, Need::kConnection,
          [&](std::vector<Event>& followUps) { return body(requests->backend(), followUps); },
          result);
    }
    const uint64_t id = nextRequestId();
    requestId = id;
    // Made on the first request after the client went.
    if (!clientGoneReplies_ && handler_)
      clientGoneReplies_ = std::make_unique<EventDispatcher>(handler_);
    if (clientGoneReplies_) clientGoneReplies_->post(result(id, kClientReleased));
    return kClientReleased;
  } catch (...) {
    return kFailure;
  }
}

int SdkStreamChannel::onTopic(const std::string& topic, uint64_t& requestId,
                              const std::function<int(Backend& backend)>& operation,
                              const Backend::ResultEvent& result) {
  return request(
      requestId,
      [&](Backend& backend, std::vector<Event>&) -> int {
        if (topic.empty()) return kInvalidArgument;
        return operation(backend);
      },
      result);
}

int SdkStreamChannel::join(const sdk::JoinChannelOptions& options, uint64_t& requestId) {
  std::string userId;
  MemberOptions member;
  member.withMetadata = options.withMetadata;
  member.withPresence = options.withPresence;
  member.withLock = options.withLock;
  member.beQuiet = options.beQuiet;
  return request(
      requestId,
      [&](Backend& backend, std::vector<Event>& followUps) -> int {
        userId = backend.userId();
        return backend.streamJoin(name_, member, followUps);
      },
      channelTextResult(&IKivEventHandler::onJoinResult, name_, userId));
}

int SdkStreamChannel::leave(uint64_t& requestId) {
  std::string userId;
  return request(
      requestId,
      [&](Backend& backend, std::vector<Event>&) -> int {
        userId = backend.userId();
        return backend.streamLeave(name_);
      },
      channelTextResult(&IKivEventHandler::onLeaveResult, name_, userId));
}

int SdkStreamChannel::renewToken(const char* token, uint64_t& requestId) {
  return request(
      requestId,
      [&](Backend&, std::vector<Event>&) -> int { return token && *token ? kOk : kInvalidToken; },
      renewTokenResult(kServerStream, name_));
}

int SdkStreamChannel::joinTopic(const char* topic, const sdk::JoinTopicOptions& options,
                                uint64_t& requestId) {
  const std::string topicName = text(topic);
  const std::string meta = text(options.meta);
  std::string userId;
  return onTopic(
      topicName, requestId,
      [&](Backend& backend) {
        userId = backend.userId();
        return backend.joinTopic(name_, topicName, meta);
      },
      membershipResult(&IKivEventHandler::onJoinTopicResult, name_, userId, topicName, meta));
}

int SdkStreamChannel::leaveTopic(const char* topic, uint64_t& requestId) {
  const std::string topicName = text(topic);
  std::string userId;
  std::string meta;
  return onTopic(
      topicName, requestId,
      [&](Backend& backend) {
        userId = backend.userId();
        return backend.leaveTopic(name_, topicName, meta);
      },
      membershipResult(&IKivEventHandler::onLeaveTopicResult, name_, userId, topicName, meta));
}

int SdkStreamChannel::publishTopicMessage(const char* topic, const char* message, size_t length,
                                          const sdk::TopicMessageOptions& option,
                                          uint64_t& requestId) {
  const std::string topicName = text(topic);
  // Refusals of the payload count only once the topic may be published in.
  const int refusal = !message && length > 0      ? kInvalidArgument
                      : length > kMaxPayloadBytes ? kMessageTooLarge
                                                  : kOk;
  MessageCopy copy;
  copy.messageType = option.messageType;
  copy.customType = text(option.customType);
  copy.timestamp = option.sendTs;
  if (refusal == kOk && length > 0) copy.payload.assign(message, length);
  return onTopic(
      topicName, requestId,
      [&](Backend& backend) { return backend.publishTopic(name_, topicName, refusal, copy); },
      channelTextResult(&IKivEventHandler::onPublishTopicMessageResult, name_, topicName));
}

int SdkStreamChannel::subscribeTopic(const char* topic, const sdk::TopicOptions& options,
                                     uint64_t& requestId) {
  const std::string topicName = text(topic);
  const std::vector<std::string> users = copyStrings(options.users, options.userCount);
  std::string userId;
  TopicSubscribeOutcome outcome;
  return onTopic(
      topicName, requestId,
      [&](Backend& backend) {
        userId = backend.userId();
        return backend.subscribeTopic(name_, topicName, users, outcome);
      },
      [&, this](uint64_t id, int code) -> Event {
        return [id, channel = name_, userId, topicName, done = std::move(outcome),
                code](IKivEventHandler& h) {
          StringsView succeeded(done.succeeded);
          StringsView failed(done.failed);
          h.onSubscribeTopicResult(id, channel.c_str(), userId.c_str(), topicName.c_str(),
                                   succeeded.userList(), failed.userList(), code);
        };
      });
}

int SdkStreamChannel::unsubscribeTopic(const char* topic, const sdk::TopicOptions& options,
                                       uint64_t& requestId) {
  const std::string topicName = text(topic);
  const std::vector<std::string> users = copyStrings(options.users, options.userCount);
  return onTopic(
      topicName, requestId,
      [&](Backend& backend) { return backend.unsubscribeTopic(name_, topicName, users); },
      channelTextResult(&IKivEventHandler::onUnsubscribeTopicResult, name_, topicName));
}

int SdkStreamChannel::getSubscribedUserList(const char* topic, uint64_t& requestId) {
  const std::string topicName = text(topic);
  std::vector<std::string> users;
  return onTopic(
      topicName, requestId,
      [&](Backend& backend) { return backend.subscribedUsers(name_, topicName, users); },
      subscribedUsersResult(name_, topicName, users));
}

int SdkStreamChannel::setParameters(const char* parameters) {
  return checkStreamParameters(parameters);
}

int SdkStreamChannel::release() {
  try {
    std::lock_guard<std::mutex> lock(link_->mutex);
    if (link_->requests) {
      link_->requests->backend().streamChannelReleased(name_);
      link_->channels->forget(name_);
    }
    link_->channel = nullptr;
  } catch (...) {
    return kFailure;
  }
  {
    std::lock_guard<std::mutex> lock(g_orphans.mutex);
    g_orphans.channels.erase(this);
  }
  if (clientGoneReplies_ && clientGoneReplies_->onOwnThread()) {
    // Released from inside one of its own results: that thread cannot join
    // itself, so it frees its dispatcher once the callback returns.
    EventDispatcher* replies = clientGoneReplies_.release();
    replies->stopFromOwnThread([replies] { delete replies; });
  }
  delete this;
  return kOk;
}

sdk::IStreamChannel* SdkStreamChannels::create(FaceRequests& requests, const char* name,
                                               IKivEventHandler* handler, int* errorCode) {
  int code = kOk;
  SdkStreamChannel* created = nullptr;
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!name || !*name) {
      code = kInvalidChannelName;
    } else if (channels_.count(name)) {
      code = kStreamChannelExists;
    } else {
      auto link = std::make_shared<StreamChannelLink>();
      link->requests = &requests;
      link->channels = this;
      auto channel = std::make_unique<SdkStreamChannel>(link, name, handler);
      link->channel = channel.get();
      channels_.emplace(name, std::move(link));
      created = channel.release();
    }
  } catch (...) {
    code = kFailure;
  }
  if (errorCode) *errorCode = code;
  return created;
}

void SdkStreamChannels::forget(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  channels_.erase(name);
}

void SdkStreamChannels::orphanAll() {
  std::map<std::string, std::shared_ptr<StreamChannelLink>> orphans;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    orphans.swap(channels_);
  }
  // Waits for a request in progress on each channel to end.
  for (auto& entry : orphans) {
    std::lock_guard<std::mutex> lock(entry.second->mutex);
    entry.second->requests = nullptr;
    entry.second->channels = nullptr;
    if (SdkStreamChannel* channel = entry.second->channel) {
      std::lock_guard<std::mutex> orphansLock(g_orphans.mutex);
      g_orphans.channels.insert(channel);
    }
  }
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
