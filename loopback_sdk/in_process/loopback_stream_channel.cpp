#include "loopback_sdk/in_process/loopback_stream_channel.h"

#include <memory>
#include <nlohmann/json.hpp>

#include "loopback_sdk/in_process/channel_flows.h"
#include "loopback_sdk/in_process/request.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

// The requester must have joined the channel (and named a topic when one is needed).
int checkJoined(Request& r, const ChannelKey& channel, const std::string* topic) {
  if (topic && topic->empty()) return kInvalidArgument;
  return r.state.members.find(channel, r.client.id) ? kOk : kNotInChannel;
}

}  // namespace

LoopbackStreamChannel::LoopbackStreamChannel(uint64_t clientId, std::string name,
                                             IKivEventHandler* handler)
    : clientId_(clientId), name_(std::move(name)), handler_(handler) {}

LoopbackStreamChannel::~LoopbackStreamChannel() = default;

template <class Body, class Result>
int LoopbackStreamChannel::request(uint64_t& requestId, Body&& body, Result&& result) {
  return runRequest(clientId_, requestId, Need::kConnection, std::forward<Body>(body),
                    std::forward<Result>(result), [this]() -> EventDispatcher* {
                      // Made on the first request after the client went.
                      if (!clientGoneReplies_ && handler_)
                        clientGoneReplies_ = std::make_unique<EventDispatcher>(handler_);
                      return clientGoneReplies_.get();
                    });
}

int LoopbackStreamChannel::join(const sdk::JoinChannelOptions& options, uint64_t& requestId) {
  const ChannelKey channel{kChannelStream, name_};
  std::string userId;
  return request(
      requestId,
      [&](Request& r) -> int {
        userId = r.client.userId;
        MemberOptions member;
        member.withMetadata = options.withMetadata;
        member.withPresence = options.withPresence;
        member.withLock = options.withLock;
        member.beQuiet = options.beQuiet;
        enterChannel(r, channel, member);
        return kOk;
      },
      [&userId, this](uint64_t id, int code) -> Event {
        return channelTextResult(&IKivEventHandler::onJoinResult, name_, userId)(id, code);
      });
}

int LoopbackStreamChannel::leave(uint64_t& requestId) {
  const ChannelKey channel{kChannelStream, name_};
  std::string userId;
  return request(
      requestId,
      [&](Request& r) -> int {
        userId = r.client.userId;
        return exitChannel(r.state, r.client.id, channel) ? kOk : kNotInChannel;
      },
      [&userId, this](uint64_t id, int code) -> Event {
        return channelTextResult(&IKivEventHandler::onLeaveResult, name_, userId)(id, code);
      });
}

int LoopbackStreamChannel::renewToken(const char* token, uint64_t& requestId) {
  const std::string channel = name_;
  return request(
      requestId, [&](Request&) -> int { return token && *token ? kOk : kInvalidToken; },
      renewTokenResult(kServerStream, channel));
}

int LoopbackStreamChannel::joinTopic(const char* topic, const sdk::JoinTopicOptions& options,
                                     uint64_t& requestId) {
  const ChannelKey channel{kChannelStream, name_};
  const std::string topicName = text(topic);
  const std::string meta = text(options.meta);
  std::string userId;
  return request(
      requestId,
      [&](Request& r) -> int {
        userId = r.client.userId;
        if (const int code = checkJoined(r, channel, &topicName)) return code;
        r.state.topics.join(name_, topicName, r.client.id, userId, meta);
        TopicCopy joined{topicName, {{userId, meta}}};
        notifyMembers(r.state, channel, Interest::kAny, r.client.id,
                      topicEvent(kTopicRemoteJoin, name_, userId, {joined}, r.state.timestamp()));
        return kOk;
      },
      membershipResult(&IKivEventHandler::onJoinTopicResult, name_, userId, topicName, meta));
}

int LoopbackStreamChannel::leaveTopic(const char* topic, uint64_t& requestId) {
  const ChannelKey channel{kChannelStream, name_};
  const std::string topicName = text(topic);
  std::string userId;
  std::string meta;
  return request(
      requestId,
      [&](Request& r) -> int {
        userId = r.client.userId;
        if (const int code = checkJoined(r, channel, &topicName)) return code;
        if (!r.state.topics.leave(name_, topicName, r.client.id, meta)) return kTopicNotJoined;
        TopicCopy left{topicName, {{userId, meta}}};
        notifyMembers(r.state, channel, Interest::kAny, r.client.id,
                      topicEvent(kTopicRemoteLeave, name_, userId, {left}, r.state.timestamp()));
        return kOk;
      },
      membershipResult(&IKivEventHandler::onLeaveTopicResult, name_, userId, topicName, meta));
}

int LoopbackStreamChannel::publishTopicMessage(const char* topic, const char* message,
                                               size_t length,
                                               const sdk::TopicMessageOptions& option,
                                               uint64_t& requestId) {
  const ChannelKey channel{kChannelStream, name_};
  const std::string topicName = text(topic);
  return request(
      requestId,
      [&](Request& r) -> int {
        if (const int code = checkJoined(r, channel, &topicName)) return code;
        if (!r.state.topics.publishes(name_, topicName, r.client.id)) return kTopicNotJoined;
        if (!message && length > 0) return kInvalidArgument;
        if (length > kMaxPayloadBytes) return kMessageTooLarge;
        auto copy = std::make_shared<MessageCopy>();
        copy->messageType = option.messageType;
        copy->publisher = r.client.userId;
        if (length > 0) copy->payload.assign(message, length);
        copy->customType = text(option.customType);
        copy->timestamp = option.sendTs ? option.sendTs : r.state.timestamp();
        const Event event = messageEvent(kChannelStream, name_, topicName, copy);
        for (uint64_t recipient :
             r.state.topics.recipients(name_, topicName, r.client.id, r.client.userId))
          r.state.clients.notify(recipient, event);
        return kOk;
      },
      channelTextResult(&IKivEventHandler::onPublishTopicMessageResult, name_, topicName));
}

int LoopbackStreamChannel::subscribeTopic(const char* topic, const sdk::TopicOptions& options,
                                          uint64_t& requestId) {
  const ChannelKey channel{kChannelStream, name_};
  const std::string topicName = text(topic);
  const std::vector<std::string> users = copyStrings(options.users, options.userCount);
  std::string userId;
  TopicSubscribeOutcome outcome;
  return request(
      requestId,
      [&](Request& r) -> int {
        userId = r.client.userId;
        if (const int code = checkJoined(r, channel, &topicName)) return code;
        outcome = r.state.topics.subscribe(name_, topicName, r.client.id, users);
        return kOk;
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

int LoopbackStreamChannel::unsubscribeTopic(const char* topic, const sdk::TopicOptions& options,
                                            uint64_t& requestId) {
  const ChannelKey channel{kChannelStream, name_};
  const std::string topicName = text(topic);
  const std::vector<std::string> users = copyStrings(options.users, options.userCount);
  return request(
      requestId,
      [&](Request& r) -> int {
        if (const int code = checkJoined(r, channel, &topicName)) return code;
        return r.state.topics.unsubscribe(name_, topicName, r.client.id, users)
                   ? kOk
                   : kTopicNotSubscribed;
      },
      channelTextResult(&IKivEventHandler::onUnsubscribeTopicResult, name_, topicName));
}

int LoopbackStreamChannel::getSubscribedUserList(const char* topic, uint64_t& requestId) {
  const ChannelKey channel{kChannelStream, name_};
  const std::string topicName = text(topic);
  std::vector<std::string> users;
  return request(
      requestId,
      [&](Request& r) -> int {
        if (const int code = checkJoined(r, channel, &topicName)) return code;
        users = r.state.topics.subscribedUsers(name_, topicName, r.client.id);
        return kOk;
      },
      subscribedUsersResult(name_, topicName, users));
}

int LoopbackStreamChannel::setParameters(const char* parameters) {
  return checkStreamParameters(parameters);
}

int LoopbackStreamChannel::release() {
  try {
    Service::instance().locked([this](ServiceState& state) {
      ClientRecord* client = state.clients.find(clientId_);
      if (client) {
        exitChannel(state, clientId_, {kChannelStream, name_});
        client->streamChannels.erase(name_);
      } else {
        state.orphanChannels.erase(this);
      }
    });
  } catch (...) {
    return kFailure;
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

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
