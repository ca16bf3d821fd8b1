#include "loopback_sdk/redis/redis_lock.h"

#include <cstdlib>

#include "loopback_sdk/notices.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/redis/inbox_events.h"
#include "loopback_sdk/redis/redis_client.h"
#include "loopback_sdk/redis/redis_storage.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using nlohmann::json;
using sdk::IKivEventHandler;

namespace {

// The service's code for an acquisition that waits in line.
constexpr int kServiceWaits = -1;

std::vector<std::string> lockArguments(const ChannelKey& channel, const std::string& lockName,
                                       std::vector<std::string> extra) {
  std::vector<std::string> arguments{std::to_string(channel.type), channel.name, lockName};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  return arguments;
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

std::optional<Event> lockFromService(const json& event) {
  const auto it = event.find("locks");
  return lockEvent(channelOf(event), static_cast<int>(numberOf(event, "et")),
                   locksOf(it == event.end() ? json() : *it),
                   static_cast<uint64_t>(numberOf(event, "ts")));
}

// The answer to an acquisition that waited (granted or cancelled).
std::optional<Event> acquireFromService(const json& event) {
  const std::string requestId = textOf(event, "r");
  return acquireResult(std::strtoull(requestId.c_str(), nullptr, 10), channelOf(event),
                       textOf(event, "l"), static_cast<int>(numberOf(event, "c")),
                       textOf(event, "d"));
}

const bool registered = addServiceEventKind("lock", &lockFromService) &&
                        addServiceEventKind("acquire", &acquireFromService);

}  // namespace

int RedisLock::onLock(const char* op, const char* channelName, int channelType,
                      const char* lockName, int refusal, std::vector<std::string> extra,
                      LockResult result, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  return client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkLockTarget(channel, name, true)) return code;
        if (refusal != kOk) return refusal;
        return callWithOwnEvents(client_, op, lockArguments(channel, name, std::move(extra)));
      },
      lockResult(result, channel, name));
}

int RedisLock::setLock(const char* channelName, int channelType, const char* lockName, uint32_t ttl,
                       uint64_t& requestId) {
  return onLock("setLock", channelName, channelType, lockName, ttl == 0 ? kInvalidArgument : kOk,
                {std::to_string(ttl)}, &IKivEventHandler::onSetLockResult, requestId);
}

int RedisLock::getLocks(const char* channelName, int channelType, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  std::vector<LockCopy> found;
  return client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkLockTarget(channel, "", false)) return code;
        json data;
        const int code = client_.callService(
            "getLocks", {std::to_string(channel.type), channel.name}, nullptr, &data);
        if (code == kOk) found = locksOf(data);
        return code;
      },
      locksResult(found, channel));
}

int RedisLock::removeLock(const char* channelName, int channelType, const char* lockName,
                          uint64_t& requestId) {
  return onLock("removeLock", channelName, channelType, lockName, kOk, {},
                &IKivEventHandler::onRemoveLockResult, requestId);
}

int RedisLock::acquireLock(const char* channelName, int channelType, const char* lockName,
                           bool retry, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  std::string details;
  const int code = client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkLockTarget(channel, name, true)) return code;
        // The request id is known by now; a waiting acquisition is answered with it.
        json data;
        const int code = callWithOwnEvents(
            client_, "acquireLock",
            lockArguments(channel, name, {retry ? "1" : "0", std::to_string(requestId)}), &data);
        if (code == kServiceWaits) return kAnswerLater;
        if (data.is_string()) details = data.get<std::string>();
        return code;
      },
      [&details, channel, name](uint64_t id, int code) -> Event {
        if (code == kAnswerLater) return [](IKivEventHandler&) {};
        return acquireResult(id, channel, name, code, details);
      });
  return code == kAnswerLater ? static_cast<int>(kOk) : code;
}

int RedisLock::releaseLock(const char* channelName, int channelType, const char* lockName,
                           uint64_t& requestId) {
  return onLock("releaseLock", channelName, channelType, lockName, kOk, {},
                &IKivEventHandler::onReleaseLockResult, requestId);
}

int RedisLock::revokeLock(const char* channelName, int channelType, const char* lockName,
                          const char* owner, uint64_t& requestId) {
  return onLock("revokeLock", channelName, channelType, lockName, kOk, {text(owner)},
                &IKivEventHandler::onRevokeLockResult, requestId);
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
