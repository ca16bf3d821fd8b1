#include "loopback_sdk/in_process/lock_flows.h"

#include <chrono>

#include "loopback_sdk/in_process/channel_flows.h"
#include "loopback_sdk/in_process/loopback_service.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

void notifyLock(ServiceState& state, const ChannelKey& channel, int eventType,
                const LockEntry& lock) {
  notifyMembers(
      state, channel, Interest::kLock, 0,
      lockEvent(channel, eventType, {{lock.name, lock.owner, lock.ttl}}, state.timestamp()));
}

void grantLock(ServiceState& state, const ChannelKey& channel, LockEntry& lock,
               const ClientRecord& client) {
  LockTable::grant(lock, client.id, client.userId);
  notifyLock(state, channel, kLockAcquired, lock);
}

void freeLock(ServiceState& state, const ChannelKey& channel, LockEntry& lock, int eventType) {
  LockEntry former = lock;
  former.waiters.clear();
  LockTable::free(lock);
  notifyLock(state, channel, eventType, former);
  while (!lock.waiters.empty() && !lock.held()) {
    const LockWaiter waiter = lock.waiters.front();
    lock.waiters.pop_front();
    const ClientRecord* client = state.clients.find(waiter.clientId);
    if (!client || !client->loggedIn) continue;
    state.clients.reply(client->id, acquireResult(waiter.requestId, channel, lock.name, kOk, ""));
    grantLock(state, channel, lock, *client);
  }
}

void expireLater(ServiceState& state, const ChannelKey& channel, const LockEntry& lock) {
  const uint64_t holder = lock.ownerClient;
  const uint64_t serial = lock.holdSerial;
  const std::string name = lock.name;
  const auto delay = std::chrono::milliseconds(static_cast<uint64_t>(lock.ttl) * state.ttlUnitMs);
  Service::instance().after(delay, [channel, name, holder, serial](ServiceState& later) {
    LockEntry* entry = later.locks.find(channel, name);
    if (entry && entry->ownerClient == holder && entry->holdSerial == serial)
      freeLock(later, channel, *entry, kLockExpired);
  });
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
