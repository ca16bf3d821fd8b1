// The Redis backend's service operations: each runs one operation of the
// shared service and reads its answer back into the records the face uses.
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/redis/inbox_events.h"
#include "loopback_sdk/redis/redis_backend.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using nlohmann::json;

namespace {

// The service's code for an acquisition that waits in line.
constexpr int kServiceWaits = -1;

std::string flag(bool value) { return value ? "1" : "0"; }

std::vector<std::string> channelArguments(const ChannelKey& channel,
                                          std::vector<std::string> extra = {}) {
  std::vector<std::string> arguments{std::to_string(channel.type), channel.name};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return arguments;
}

UserStateCopy userOf(const json& pair) {
  if (!pair.is_array() || pair.size() != 2 || !pair[0].is_string()) return {};
  return {pair[0].get<std::string>(), stateOf(pair[1])};
}

// {newStart, {{ts, type, publisher, custom type, payload}...}}; false when
// the answer has another shape.
bool readPage(const json& data, HistoryPage& page) {
  if (!data.is_array() || data.size() != 2 || !data[0].is_number_unsigned() || !data[1].is_array())
    return false;
  page.newStart = data[0].get<uint64_t>();
  for (const json& entry : data[1]) {
    if (!entry.is_array() || entry.size() != 5 || !entry[0].is_number_unsigned() ||
        !entry[1].is_number_integer() || !entry[2].is_string() || !entry[3].is_string() ||
        !entry[4].is_string())
      return false;
    MessageCopy message;
    message.timestamp = entry[0].get<uint64_t>();
    message.messageType = entry[1].get<int>();
    message.publisher = entry[2].get<std::string>();
    message.customType = entry[3].get<std::string>();
    message.payload = entry[4].get<std::string>();
    page.messages.push_back(std::move(message));
  }
  return true;
}

// The service's copy: [major revision, [[key, value, author, revision, updateTs]...]].
MetadataCopy metadataOf(const json& value) {
  MetadataCopy copy;
  if (!value.is_array() || value.size() != 2 || !value[0].is_number()) return copy;
  copy.majorRevision = value[0].get<int64_t>();
  if (!value[1].is_array()) return copy;
  for (const json& item : value[1]) {
    if (!item.is_array() || item.size() != 5 || !item[0].is_string() || !item[1].is_string() ||
        !item[2].is_string() || !item[3].is_number() || !item[4].is_number())
      continue;
    copy.items.push_back({item[0].get<std::string>(), item[1].get<std::string>(),
                          item[2].get<std::string>(), item[3].get<int64_t>(),
                          item[4].get<int64_t>()});
  }
  return copy;
}

// [[name, owner, ttl]...] as the service lists them.
std::vector<LockCopy> locksOf(const json& value) {
  std::vector<LockCopy> locks;
  if (!value.is_array()) return locks;
  for (const json& lock : value)
    if (lock.is_array() && lock.size() == 3 && lock[0].is_string() && lock[1].is_string() &&
        lock[2].is_number())
      locks.push_back(
          {lock[0].get<std::string>(), lock[1].get<std::string>(), lock[2].get<uint32_t>()});
  return locks;
}

const json& member(const json& event, const char* key) {
  static const json none;
  const auto it = event.find(key);
  return it == event.end() ? none : *it;
}

std::optional<Event> storageFromService(const json& event) {
  return storageEvent(
      static_cast<int>(numberOf(event, "ct")), static_cast<int>(numberOf(event, "st")),
      static_cast<int>(numberOf(event, "et")), textOf(event, "tg"), metadataOf(member(event, "md")),
      static_cast<uint64_t>(numberOf(event, "ts")));
}

std::optional<Event> lockFromService(const json& event) {
  return lockEvent(channelOf(event), static_cast<int>(numberOf(event, "et")),
                   locksOf(member(event, "locks")), static_cast<uint64_t>(numberOf(event, "ts")));
}

// The answer to an acquisition that waited (granted or cancelled).
std::optional<Event> acquireFromService(const json& event) {
  const std::string requestId = textOf(event, "r");
  return acquireResult(std::strtoull(requestId.c_str(), nullptr, 10), channelOf(event),
                       textOf(event, "l"), static_cast<int>(numberOf(event, "c")),
                       textOf(event, "d"));
}

const bool registered = addServiceEventKind("storage", &storageFromService) &&
                        addServiceEventKind("lock", &lockFromService) &&
                        addServiceEventKind("acquire", &acquireFromService);

}  // namespace

int RedisBackend::listUsers(const ChannelKey& channel, size_t offset,
                            std::vector<UserStateCopy>& users, std::string& nextPage) {
  json data;
  const int code =
      callService("listUsers", channelArguments(channel, {offset ? std::to_string(offset) : ""}),
                  nullptr, &data);
  if (code != kOk) return code;
  for (const json& user : data.value("users", json::array())) users.push_back(userOf(user));
  nextPage = data.value("next", "");
  return kOk;
}

int RedisBackend::listChannels(const std::string& userId, std::vector<ChannelCopy>& channels) {
  json data;
  const int code = callService("listChannels", {userId}, nullptr, &data);
  if (code != kOk || !data.is_array()) return code;
  for (const json& channel : data)
    if (channel.is_array() && channel.size() == 2 && channel[0].is_string() &&
        channel[1].is_number_integer())
      channels.push_back({channel[0].get<std::string>(), channel[1].get<int>()});
  return kOk;
}

int RedisBackend::setState(const ChannelKey& channel, const StateMap& changes) {
  std::vector<std::string> arguments = channelArguments(channel);
  for (const auto& [key, value] : changes) {
    arguments.push_back(key);
    arguments.push_back(value);
  }
  return callService("setState", std::move(arguments));
}

int RedisBackend::removeState(const ChannelKey& channel, const std::vector<std::string>& keys) {
  return callService("removeState", channelArguments(channel, keys));
}

int RedisBackend::getState(const ChannelKey& channel, const std::string& userId,
                           UserStateCopy& found) {
  json data;
  const int code = callService("getState", channelArguments(channel, {userId}), nullptr, &data);
  if (code == kOk) found = userOf(data);
  return code;
}

int RedisBackend::historyPage(const ChannelKey& channel, uint16_t count, uint64_t start,
                              uint64_t end, HistoryPage& page) {
  json data;
  const int code =
      callService("historyPage",
                  channelArguments(
                      channel, {std::to_string(count), std::to_string(start), std::to_string(end)}),
                  nullptr, &data);
  if (code != kOk) return code;
  return readPage(data, page) ? kOk : kFailure;
}

int RedisBackend::writeMetadata(const ChannelKey& target, const MetadataWrite& write,
                                const std::string& lockName) {
  static const char* const kinds[] = {"set", "update", "remove"};
  std::vector<std::string> arguments{kinds[static_cast<int>(write.op)],
                                     std::to_string(target.type),
                                     target.name,
                                     lockName,
                                     std::to_string(write.majorRevision),
                                     flag(write.recordTs),
                                     flag(write.recordUserId)};
  for (const ItemCopy& item : write.items) {
    arguments.push_back(item.key);
    arguments.push_back(item.value);
    arguments.push_back(std::to_string(item.revision));
  }
  return callWithOwnEvents("writeMetadata", std::move(arguments));
}

int RedisBackend::getMetadata(const ChannelKey& target, MetadataCopy& found) {
  json data;
  const int code = callService("getMetadata", channelArguments(target), nullptr, &data);
  if (code == kOk) found = metadataOf(data);
  return code;
}

int RedisBackend::followUserMetadata(const std::string& userId, bool follow,
                                     std::vector<Event>& followUps) {
  return callService(follow ? "followUserMetadata" : "unfollowUserMetadata", {userId}, &followUps);
}

int RedisBackend::setLock(const ChannelKey& channel, const std::string& name, uint32_t ttl) {
  return callWithOwnEvents("setLock", channelArguments(channel, {name, std::to_string(ttl)}));
}

int RedisBackend::getLocks(const ChannelKey& channel, std::vector<LockCopy>& locks) {
  json data;
  const int code = callService("getLocks", channelArguments(channel), nullptr, &data);
  if (code == kOk) locks = locksOf(data);
  return code;
}

int RedisBackend::removeLock(const ChannelKey& channel, const std::string& name) {
  return callWithOwnEvents("removeLock", channelArguments(channel, {name}));
}

int RedisBackend::acquireLock(const ChannelKey& channel, const std::string& name, bool retry,
                              uint64_t requestId, std::string& details) {
  json data;
  const int code = callWithOwnEvents(
      "acquireLock", channelArguments(channel, {name, flag(retry), std::to_string(requestId)}),
      &data);
  if (code == kServiceWaits) return kAnswerLater;
  if (data.is_string()) details = data.get<std::string>();
  return code;
}

int RedisBackend::releaseLock(const ChannelKey& channel, const std::string& name) {
  return callWithOwnEvents("releaseLock", channelArguments(channel, {name}));
}

int RedisBackend::revokeLock(const ChannelKey& channel, const std::string& name,
                             const std::string& owner) {
  return callWithOwnEvents("revokeLock", channelArguments(channel, {name, owner}));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
