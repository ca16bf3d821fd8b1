// Lock changes that ripple: freeing a lock hands it to the next waiter, and a
// lock whose holder left is freed after its time to live.
#pragma once

#include <cstdint>
#include <string>

#include "loopback_sdk/in_process/lock_table.h"
#include "loopback_sdk/in_process/service_state.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// Tells the channel's lock subscribers about one lock.
void notifyLock(ServiceState& state, const ChannelKey& channel, int eventType,
                const LockEntry& lock);

// Grants the lock to the requester and tells the subscribers.
void grantLock(ServiceState& state, const ChannelKey& channel, LockEntry& lock,
               const ClientRecord& client);

// Frees a held lock (eventType: released or expired), then grants it to the
// first waiter that is still logged in.
void freeLock(ServiceState& state, const ChannelKey& channel, LockEntry& lock, int eventType);

// Frees the lock ttl units from now if the same hold is still in place.
void expireLater(ServiceState& state, const ChannelKey& channel, const LockEntry& lock);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
