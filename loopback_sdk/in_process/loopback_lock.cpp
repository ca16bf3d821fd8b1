#include "loopback_sdk/in_process/loopback_lock.h"

#include "loopback_sdk/in_process/lock_flows.h"
#include "loopback_sdk/in_process/request.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

// The preamble of every operation on one existing lock: the target checked,
// the lock found, then work(lock) gives the answer.
template <typename Work>
int onExistingLock(Request& r, const ChannelKey& channel, const std::string& lockName, Work work) {
  if (const int code = checkLockTarget(channel, lockName, true)) return code;
  LockEntry* lock = r.state.locks.find(channel, lockName);
  if (!lock) return kLockNotFound;
  return work(*lock);
}

}  // namespace

int LoopbackLock::setLock(const char* channelName, int channelType, const char* lockName,
                          uint32_t ttl, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkLockTarget(channel, name, true)) return code;
        if (ttl == 0) return kInvalidArgument;
        if (!r.state.locks.create(channel, name, ttl)) return kLockExists;
        notifyLock(r.state, channel, kLockSet, *r.state.locks.find(channel, name));
        return kOk;
      },
      lockResult(&IKivEventHandler::onSetLockResult, channel, name));
}

int LoopbackLock::getLocks(const char* channelName, int channelType, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  std::vector<LockCopy> found;
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkLockTarget(channel, "", false)) return code;
        found = r.state.locks.list(channel);
        return kOk;
      },
      locksResult(found, channel));
}

int LoopbackLock::removeLock(const char* channelName, int channelType, const char* lockName,
                             uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        return onExistingLock(r, channel, name, [&](LockEntry& lock) -> int {
          if (lock.held() && lock.ownerClient != r.client.id) return kLockHeldElsewhere;
          for (const LockWaiter& waiter : lock.waiters)
            r.state.clients.reply(waiter.clientId,
                                  acquireResult(waiter.requestId, channel, name,
                                                kLockAcquireCancelled, "lock removed"));
          LockEntry removed = lock;
          r.state.locks.erase(channel, name);
          notifyLock(r.state, channel, kLockRemoved, removed);
          return kOk;
        });
      },
      lockResult(&IKivEventHandler::onRemoveLockResult, channel, name));
}

int LoopbackLock::acquireLock(const char* channelName, int channelType, const char* lockName,
                              bool retry, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  std::string details;
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        return onExistingLock(r, channel, name, [&](LockEntry& lock) -> int {
          if (lock.ownerClient == r.client.id) return kOk;
          if (!lock.held()) {
            grantLock(r.state, channel, lock, r.client);
            return kOk;
          }
          if (retry) {
            // Answered when the lock is granted (or the wait is cancelled).
            lock.waiters.push_back({r.client.id, r.id});
            return kAnswerLater;
          }
          details = "lock is held by " + lock.owner;
          return kLockHeldElsewhere;
        });
      },
      [&details, channel, name](uint64_t id, int code) -> Event {
        return acquireResult(id, channel, name, code, details);
      });
}

int LoopbackLock::releaseLock(const char* channelName, int channelType, const char* lockName,
                              uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        return onExistingLock(r, channel, name, [&](LockEntry& lock) -> int {
          if (lock.ownerClient != r.client.id) return kLockNotHeld;
          freeLock(r.state, channel, lock, kLockReleased);
          return kOk;
        });
      },
      lockResult(&IKivEventHandler::onReleaseLockResult, channel, name));
}

int LoopbackLock::revokeLock(const char* channelName, int channelType, const char* lockName,
                             const char* owner, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string name = text(lockName);
  const std::string formerOwner = text(owner);
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        return onExistingLock(r, channel, name, [&](LockEntry& lock) -> int {
          if (!lock.held() || lock.owner != formerOwner) return kLockNotHeld;
          freeLock(r.state, channel, lock, kLockReleased);
          return kOk;
        });
      },
      lockResult(&IKivEventHandler::onRevokeLockResult, channel, name));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
