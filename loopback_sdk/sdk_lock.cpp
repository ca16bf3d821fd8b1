#include "loopback_sdk/sdk_lock.h"

#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

int SdkLock::onLock(const char* channelName, int channelType, const char* lockName,
                    const Operation& operation, LockCallback callback, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkLockTarget(channel, name, true)) return code;
        return operation(requests_.backend(), channel, name);
      },
      lockResult(callback, channel, name));
}

int SdkLock::setLock(const char* channelName, int channelType, const char* lockName, uint32_t ttl,
                     uint64_t& requestId) {
  return onLock(
      channelName, channelType, lockName,
      [ttl](Backend& backend, const ChannelKey& channel, const std::string& name) -> int {
        if (ttl == 0) return kInvalidArgument;
        return backend.setLock(channel, name, ttl);
      },
      &IKivEventHandler::onSetLockResult, requestId);
}

int SdkLock::getLocks(const char* channelName, int channelType, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  std::vector<LockCopy> found;
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkLockTarget(channel, "", false)) return code;
        return requests_.backend().getLocks(channel, found);
      },
      locksResult(found, channel));
}

int SdkLock::removeLock(const char* channelName, int channelType, const char* lockName,
                        uint64_t& requestId) {
  return onLock(
      channelName, channelType, lockName,
      [](Backend& backend, const ChannelKey& channel, const std::string& name) {
        return backend.removeLock(channel, name);
      },
      &IKivEventHandler::onRemoveLockResult, requestId);
}

int SdkLock::acquireLock(const char* channelName, int channelType, const char* lockName, bool retry,
                         uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  std::string details;
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkLockTarget(channel, name, true)) return code;
        // The request id is known by now; a waiting acquisition is answered with it.
        return requests_.backend().acquireLock(channel, name, retry, requestId, details);
      },
      [&details, channel, name](uint64_t id, int code) -> Event {
        return acquireResult(id, channel, name, code, details);
      });
}

int SdkLock::releaseLock(const char* channelName, int channelType, const char* lockName,
                         uint64_t& requestId) {
  return onLock(
      channelName, channelType, lockName,
      [](Backend& backend, const ChannelKey& channel, const std::string& name) {
        return backend.releaseLock(channel, name);
      },
      &IKivEventHandler::onReleaseLockResult, requestId);
}

int SdkLock::revokeLock(const char* channelName, int channelType, const char* lockName,
                        const char* owner, uint64_t& requestId) {
  const std::string formerOwner = text(owner);
  return onLock(
      channelName, channelType, lockName,
      [&formerOwner](Backend& backend, const ChannelKey& channel, const std::string& name) {
        return backend.revokeLock(channel, name, formerOwner);
      },
      &IKivEventHandler::onRevokeLockResult, requestId);
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
