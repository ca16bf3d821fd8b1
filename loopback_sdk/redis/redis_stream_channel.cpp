#include "loopback_sdk/redis/redis_stream_channel.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <utility>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/ids.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/redis/inbox_events.h"
#include "loopback_sdk/redis/redis_client.h"
#include "loopback_sdk/sdk_constants.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using nlohmann::json;
using sdk::IKivEventHandler;

namespace {

// Strings of a JSON array; the others are skipped.
std::vector<std::string> stringsOf(const json& value) {
  std::vector<std::string> strings;
  if (!value.is_array()) return strings;
  for (const json& item : value)
    if (item.is_string()) strings.push_back(item.get<std::string>());
  return strings;
}

// {type, ch, pub, topics = {{topic, {{user, meta}...}}...}, ts}
std::optional<Event> readTopicEvent(const json& event) {
  std::vector<TopicCopy> topics;
  for (const json& topic : event.value("topics", json::array())) {
    if (!topic.is_array() || topic.size() != 2 || !topic[0].is_string()) continue;
    TopicCopy copy{topic[0].get<std::string>(), {}};
    for (const json& publisher : topic[1])
      if (publisher.is_array() && publisher.size() == 2 && publisher[0].is_string() &&
          publisher[1].is_string())
        copy.publishers.emplace_back(publisher[0].get<std::string>(),
                                     publisher[1].get<std::string>());
    topics.push_back(std::move(copy));
  }
  return topicEvent(static_cast<int>(numberOf(event, "type")), textOf(event, "ch"),
                    textOf(event, "pub"), std::move(topics),
                    static_cast<uint64_t>(numberOf(event, "ts")));
}

// {ch, tp, mt, pub, cu, pl, ts or sts (the sender's own, as text)}
std::optional<Event> readTopicMessage(const json& event) {
  auto message = std::make_shared<MessageCopy>();
  message->messageType = static_cast<int>(numberOf(event, "mt"));
  message->publisher = textOf(event, "pub");
  message->payload = textOf(event, "pl");
  message->customType = textOf(event, "cu");
  const std::string sent = textOf(event, "sts");
  message->timestamp = sent.empty() ? static_cast<uint64_t>(numberOf(event, "ts"))
                                    : std::strtoull(sent.c_str(), nullptr, 10);
  return messageEvent(kChannelStream, textOf(event, "ch"), textOf(event, "tp"), std::move(message));
}

const bool kindsAdded = addServiceEventKind("topic", readTopicEvent) &&
                        addServiceEventKind("topicMessage", readTopicMessage);

// The join options as member flags of the shared service.
std::string flagsOf(const sdk::JoinChannelOptions& options) {
  const std::pair<bool, char> flags[] = {{options.withPresence, 'p'},
                                         {options.withLock, 'l'},
                                         {options.withMetadata, 'd'},
                                         {options.beQuiet, 'q'}};
  std::string text;
  for (const auto& [set, flag] : flags)
    if (set) text += flag;
  return text;
}

// Operation arguments: the channel, the topic, then the users.
std::vector<std::string> topicArguments(const std::string& channel, const std::string& topic,
                                        const sdk::TopicOptions& options) {
  std::vector<std::string> arguments{channel, topic};
  for (std::string& user : copyStrings(options.users, options.userCount))
    arguments.push_back(std::move(user));
  return arguments;
}

}  // namespace

RedisStreamChannel::RedisStreamChannel(std::shared_ptr<StreamChannelLink> link, std::string name,
                                       IKivEventHandler* handler)
    : link_(std::move(link)), name_(std::move(name)), handler_(handler) {
  (void)kindsAdded;
}

RedisStreamChannel::~RedisStreamChannel() = default;

int RedisStreamChannel::request(uint64_t& requestId, const Body& body, const ResultEvent& result) {
  try {
    std::lock_guard<std::mutex> lock(link_->mutex);
    if (RedisClient* client = link_->client) {
      return client->request(
          requestId, RedisClient::Need::kConnection,
          [&](std::vector<Event>& followUps) { return body(*client, followUps); }, result);
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

int RedisStreamChannel::join(const sdk::JoinChannelOptions& options, uint64_t& requestId) {
  std::string userId;
  return request(
      requestId,
      [&](RedisClient& client, std::vector<Event>& followUps) -> int {
        userId = client.userId();
        return client.callService("streamJoin", {name_, flagsOf(options)}, &followUps);
      },
      channelTextResult(&IKivEventHandler::onJoinResult, name_, userId));
}

int RedisStreamChannel::leave(uint64_t& requestId) {
  std::string userId;
  return request(
      requestId,
      [&](RedisClient& client, std::vector<Event>&) -> int {
        userId = client.userId();
        return client.callService("streamLeave", {name_});
      },
      channelTextResult(&IKivEventHandler::onLeaveResult, name_, userId));
}

int RedisStreamChannel::renewToken(const char* token, uint64_t& requestId) {
  const std::string channel = name_;
  return request(
      requestId,
      [&](RedisClient&, std::vector<Event>&) -> int {
        return token && *token ? kOk : kInvalidToken;
      },
      renewTokenResult(kServerStream, channel));
}

int RedisStreamChannel::joinTopic(const char* topic, const sdk::JoinTopicOptions& options,
                                  uint64_t& requestId) {
  const std::string topicName = text(topic);
  const std::string meta = text(options.meta);
  std::string userId;
  return request(
      requestId,
      [&](RedisClient& client, std::vector<Event>&) -> int {
        userId = client.userId();
        if (topicName.empty()) return kInvalidArgument;
        return client.callService("streamJoinTopic", {name_, topicName, meta});
      },
      membershipResult(&IKivEventHandler::onJoinTopicResult, name_, userId, topicName, meta));
}

int RedisStreamChannel::leaveTopic(const char* topic, uint64_t& requestId) {
  const std::string topicName = text(topic);
  std::string userId;
  std::string meta;
  return request(
      requestId,
      [&](RedisClient& client, std::vector<Event>&) -> int {
        userId = client.userId();
        if (topicName.empty()) return kInvalidArgument;
        json data;
        const int code = client.callService("streamLeaveTopic", {name_, topicName}, nullptr, &data);
        if (code == kOk && data.is_string()) meta = data.get<std::string>();
        return code;
      },
      membershipResult(&IKivEventHandler::onLeaveTopicResult, name_, userId, topicName, meta));
}

int RedisStreamChannel::publishTopicMessage(const char* topic, const char* message, size_t length,
                                            const sdk::TopicMessageOptions& option,
                                            uint64_t& requestId) {
  const std::string topicName = text(topic);
  // Refusals of the payload count only once the topic may be published in.
  const int refusal = !message && length > 0      ? kInvalidArgument
                      : length > kMaxPayloadBytes ? kMessageTooLarge
                                                  : kOk;
  return request(
      requestId,
      [&](RedisClient& client, std::vector<Event>&) -> int {
        if (topicName.empty()) return kInvalidArgument;
        return client.callService(
            "streamPublish",
            {name_, topicName, std::to_string(refusal), std::to_string(option.messageType),
             text(option.customType), std::to_string(option.sendTs),
             refusal == kOk && length > 0 ? std::string(message, length) : std::string()});
      },
      channelTextResult(&IKivEventHandler::onPublishTopicMessageResult, name_, topicName));
}

int RedisStreamChannel::subscribeTopic(const char* topic, const sdk::TopicOptions& options,
                                       uint64_t& requestId) {
  const std::string topicName = text(topic);
  std::string userId;
  std::vector<std::string> succeeded;
  std::vector<std::string> failed;
  return request(
      requestId,
      [&](RedisClient& client, std::vector<Event>&) -> int {
        userId = client.userId();
        if (topicName.empty()) return kInvalidArgument;
        json data;
        const int code = client.callService(
            "streamSubscribe", topicArguments(name_, topicName, options), nullptr, &data);
        if (code == kOk && data.is_array() && data.size() == 2) {
          succeeded = stringsOf(data[0]);
          failed = stringsOf(data[1]);
        }
        return code;
      },
      [&, this](uint64_t id, int code) -> Event {
        return [id, channel = name_, userId, topicName, succeeded = std::move(succeeded),
                failed = std::move(failed), code](IKivEventHandler& h) {
          StringsView succeededView(succeeded);
          StringsView failedView(failed);
          h.onSubscribeTopicResult(id, channel.c_str(), userId.c_str(), topicName.c_str(),
                                   succeededView.userList(), failedView.userList(), code);
        };
      });
}

int RedisStreamChannel::unsubscribeTopic(const char* topic, const sdk::TopicOptions& options,
                                         uint64_t& requestId) {
  const std::string topicName = text(topic);
  return request(
      requestId,
      [&](RedisClient& client, std::vector<Event>&) -> int {
        if (topicName.empty()) return kInvalidArgument;
        return client.callService("streamUnsubscribe", topicArguments(name_, topicName, options));
      },
      channelTextResult(&IKivEventHandler::onUnsubscribeTopicResult, name_, topicName));
}

int RedisStreamChannel::getSubscribedUserList(const char* topic, uint64_t& requestId) {
  const std::string topicName = text(topic);
  std::vector<std::string> users;
  return request(
      requestId,
      [&](RedisClient& client, std::vector<Event>&) -> int {
        if (topicName.empty()) return kInvalidArgument;
        json data;
        const int code =
            client.callService("streamSubscribers", {name_, topicName}, nullptr, &data);
        if (code == kOk) users = stringsOf(data);
        return code;
      },
      subscribedUsersResult(name_, topicName, users));
}

int RedisStreamChannel::setParameters(const char* parameters) {
  return checkStreamParameters(parameters);
}

int RedisStreamChannel::release() {
  try {
    std::lock_guard<std::mutex> lock(link_->mutex);
    if (link_->client) {
      // Leaves the channel first (nothing to do when not a member or Redis is away).
      link_->client->callService("streamLeave", {name_});
      link_->channels->forget(name_);
    }
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

sdk::IStreamChannel* RedisStreamChannels::create(RedisClient& client, const char* name,
                                                 IKivEventHandler* handler, int* errorCode) {
  int code = kOk;
  RedisStreamChannel* created = nullptr;
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!name || !*name) {
      code = kInvalidChannelName;
    } else if (channels_.count(name)) {
      code = kStreamChannelExists;
    } else {
      auto link = std::make_shared<StreamChannelLink>();
      link->client = &client;
      link->channels = this;
      auto channel = std::make_unique<RedisStreamChannel>(link, name, handler);
      channels_.emplace(name, std::move(link));
      created = channel.release();
    }
  } catch (...) {
    code = kFailure;
  }
  if (errorCode) *errorCode = code;
  return created;
}

void RedisStreamChannels::forget(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  channels_.erase(name);
}

void RedisStreamChannels::orphanAll() {
  std::map<std::string, std::shared_ptr<StreamChannelLink>> orphans;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    orphans.swap(channels_);
  }
  // Waits for a request in progress on each channel to end.
  for (auto& entry : orphans) {
    std::lock_guard<std::mutex> lock(entry.second->mutex);
    entry.second->client = nullptr;
    entry.second->channels = nullptr;
  }
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
