// The Redis backend's stream channel operations, and the topic events its
// service part sends.
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <utility>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/redis/inbox_events.h"
#include "loopback_sdk/redis/redis_backend.h"
#include "loopback_sdk/sdk_constants.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using nlohmann::json;

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
std::string flagsOf(const MemberOptions& options) {
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
                                        const std::vector<std::string>& users) {
  std::vector<std::string> arguments{channel, topic};
  arguments.insert(arguments.end(), users.begin(), users.end());
  return arguments;
}

}  // namespace

int RedisBackend::streamJoin(const std::string& channel, const MemberOptions& options,
                             std::vector<Event>& followUps) {
  (void)kindsAdded;
  return callService("streamJoin", {channel, flagsOf(options)}, &followUps);
}

int RedisBackend::streamLeave(const std::string& channel) {
  return callService("streamLeave", {channel});
}

int RedisBackend::joinTopic(const std::string& channel, const std::string& topic,
                            const std::string& meta) {
  return callService("streamJoinTopic", {channel, topic, meta});
}

int RedisBackend::leaveTopic(const std::string& channel, const std::string& topic,
                             std::string& meta) {
  json data;
  const int code = callService("streamLeaveTopic", {channel, topic}, nullptr, &data);
  if (code == kOk && data.is_string()) meta = data.get<std::string>();
  return code;
}

int RedisBackend::publishTopic(const std::string& channel, const std::string& topic, int refusal,
                               const MessageCopy& message) {
  return callService("streamPublish",
                     {channel, topic, std::to_string(refusal), std::to_string(message.messageType),
                      message.customType, std::to_string(message.timestamp), message.payload});
}

int RedisBackend::subscribeTopic(const std::string& channel, const std::string& topic,
                                 const std::vector<std::string>& users,
                                 TopicSubscribeOutcome& outcome) {
  json data;
  const int code =
      callService("streamSubscribe", topicArguments(channel, topic, users), nullptr, &data);
  if (code == kOk && data.is_array() && data.size() == 2) {
    outcome.succeeded = stringsOf(data[0]);
    outcome.failed = stringsOf(data[1]);
  }
  return code;
}

int RedisBackend::unsubscribeTopic(const std::string& channel, const std::string& topic,
                                   const std::vector<std::string>& users) {
  return callService("streamUnsubscribe", topicArguments(channel, topic, users));
}

int RedisBackend::subscribedUsers(const std::string& channel, const std::string& topic,
                                  std::vector<std::string>& users) {
  json data;
  const int code = callService("streamSubscribers", {channel, topic}, nullptr, &data);
  if (code == kOk) users = stringsOf(data);
  return code;
}

void RedisBackend::streamChannelReleased(const std::string& channel) {
  callService("streamLeave", {channel});
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
