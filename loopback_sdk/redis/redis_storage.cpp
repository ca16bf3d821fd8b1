#include "loopback_sdk/redis/redis_storage.h"

#include "loopback_sdk/notices.h"
#include "loopback_sdk/redis/inbox_events.h"
#include "loopback_sdk/redis/redis_client.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using nlohmann::json;
using sdk::IKivEventHandler;

namespace {

using ChannelResult = void (IKivEventHandler::*)(uint64_t, const char*, int, int);
using UserResult = void (IKivEventHandler::*)(uint64_t, const char*, int);

struct WriteKind {
  const char* name;  // the service's name of the write
  ChannelResult channelResult;
  UserResult userResult;
};

const WriteKind& kindOf(MetadataOp op) {
  static const WriteKind set{"set", &IKivEventHandler::onSetChannelMetadataResult,
                             &IKivEventHandler::onSetUserMetadataResult};
  static const WriteKind update{"update", &IKivEventHandler::onUpdateChannelMetadataResult,
                                &IKivEventHandler::onUpdateUserMetadataResult};
  static const WriteKind remove{"remove", &IKivEventHandler::onRemoveChannelMetadataResult,
                                &IKivEventHandler::onRemoveUserMetadataResult};
  return op == MetadataOp::kUpdate ? update : op == MetadataOp::kRemove ? remove : set;
}

std::string flag(bool value) { return value ? "1" : "0"; }

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

std::optional<Event> storageFromService(const json& event) {
  const auto it = event.find("md");
  return storageEvent(
      static_cast<int>(numberOf(event, "ct")), static_cast<int>(numberOf(event, "st")),
      static_cast<int>(numberOf(event, "et")), textOf(event, "tg"),
      metadataOf(it == event.end() ? json() : *it), static_cast<uint64_t>(numberOf(event, "ts")));
}

const bool registered = addServiceEventKind("storage", &storageFromService);

}  // namespace

int callWithOwnEvents(RedisClient& client, const std::string& op,
                      std::vector<std::string> arguments, json* data) {
  std::vector<Event> own;
  const int code = client.callService(op, std::move(arguments), &own, data);
  for (Event& event : own) client.post(std::move(event));
  return code;
}

int RedisStorage::write(const MetadataWrite& write, int channelType, const std::string& name,
                        const std::string& lockName) {
  std::vector<std::string> arguments{kindOf(write.op).name,
                                     std::to_string(channelType),
                                     name,
                                     lockName,
                                     std::to_string(write.majorRevision),
                                     flag(write.recordTs),
                                     flag(write.recordUserId)};
  for (const ItemCopy& item : write.items) {
    arguments.push_back(item.key);
    arguments.push_back(item.value);
    arguments.push_back(std::to_string(item.revision));
  }
  return callWithOwnEvents(client_, "writeMetadata", std::move(arguments));
}

int RedisStorage::writeChannel(MetadataOp op, const char* channelName, int channelType,
                               const sdk::Metadata& data, const sdk::MetadataOptions& options,
                               const char* lockName, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string lock = text(lockName);
  MetadataWrite request;
  const bool readable = readMetadataWrite(op, data, options, request);
  return client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkMetadataChannel(channel)) return code;
        if (!readable) return kInvalidArgument;
        return write(request, channel.type, channel.name, lock);
      },
      [callback = kindOf(op).channelResult, channel](uint64_t id, int code) -> Event {
        return [callback, id, channel, code](IKivEventHandler& h) {
          (h.*callback)(id, channel.name.c_str(), channel.type, code);
        };
      });
}

int RedisStorage::writeUser(MetadataOp op, const char* userId, const sdk::Metadata& data,
                            const sdk::MetadataOptions& options, uint64_t& requestId) {
  const std::string target = text(userId);
  MetadataWrite request;
  const bool readable = readMetadataWrite(op, data, options, request);
  return client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (target.empty()) return kInvalidUserId;
        if (!readable) return kInvalidArgument;
        return write(request, kChannelUser, target, "");
      },
      namedResult(kindOf(op).userResult, target));
}

int RedisStorage::setChannelMetadata(const char* channelName, int channelType,
                                     const sdk::Metadata& data, const sdk::MetadataOptions& options,
                                     const char* lockName, uint64_t& requestId) {
  return writeChannel(MetadataOp::kSet, channelName, channelType, data, options, lockName,
                      requestId);
}

int RedisStorage::updateChannelMetadata(const char* channelName, int channelType,
                                        const sdk::Metadata& data,
                                        const sdk::MetadataOptions& options, const char* lockName,
                                        uint64_t& requestId) {
  return writeChannel(MetadataOp::kUpdate, channelName, channelType, data, options, lockName,
                      requestId);
}

int RedisStorage::removeChannelMetadata(const char* channelName, int channelType,
                                        const sdk::Metadata& data,
                                        const sdk::MetadataOptions& options, const char* lockName,
                                        uint64_t& requestId) {
  return writeChannel(MetadataOp::kRemove, channelName, channelType, data, options, lockName,
                      requestId);
}

int RedisStorage::getChannelMetadata(const char* channelName, int channelType,
                                     uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  MetadataCopy found;
  return client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkMetadataChannel(channel)) return code;
        json data;
        const int code = client_.callService(
            "getMetadata", {std::to_string(channel.type), channel.name}, nullptr, &data);
        if (code == kOk) found = metadataOf(data);
        return code;
      },
      channelMetadataResult(found, channel));
}

int RedisStorage::setUserMetadata(const char* userId, const sdk::Metadata& data,
                                  const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kSet, userId, data, options, requestId);
}

int RedisStorage::updateUserMetadata(const char* userId, const sdk::Metadata& data,
                                     const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kUpdate, userId, data, options, requestId);
}

int RedisStorage::removeUserMetadata(const char* userId, const sdk::Metadata& data,
                                     const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kRemove, userId, data, options, requestId);
}

int RedisStorage::getUserMetadata(const char* userId, uint64_t& requestId) {
  const std::string target = text(userId);
  MetadataCopy found;
  return client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (target.empty()) return kInvalidUserId;
        json data;
        const int code = client_.callService("getMetadata", {std::to_string(kChannelUser), target},
                                             nullptr, &data);
        if (code == kOk) found = metadataOf(data);
        return code;
      },
      userMetadataResult(found, target));
}

int RedisStorage::follow(const char* op, const std::string& userId, uint64_t& requestId,
                         UserResult callback) {
  return client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>& followUps) -> int {
        if (userId.empty()) return kInvalidUserId;
        return client_.callService(op, {userId}, &followUps);
      },
      namedResult(callback, userId));
}

int RedisStorage::subscribeUserMetadata(const char* userId, uint64_t& requestId) {
  return follow("followUserMetadata", text(userId), requestId,
                &IKivEventHandler::onSubscribeUserMetadataResult);
}

int RedisStorage::unsubscribeUserMetadata(const char* userId, uint64_t& requestId) {
  return follow("unfollowUserMetadata", text(userId), requestId,
                &IKivEventHandler::onUnsubscribeUserMetadataResult);
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
