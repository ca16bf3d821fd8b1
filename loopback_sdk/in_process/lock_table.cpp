#include "loopback_sdk/in_process/lock_table.h"

#include <algorithm>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

LockEntry* LockTable::find(const ChannelKey& channel, const std::string& name) {
  auto it = channels_.find(channel);
  if (it == channels_.end()) return nullptr;
  auto lock = it->second.find(name);
  return lock == it->second.end() ? nullptr : &lock->second;
}

bool LockTable::create(const ChannelKey& channel, const std::string& name, uint32_t ttl) {
  auto& locks = channels_[channel];
  if (locks.count(name)) return false;
  LockEntry& lock = locks[name];
  lock.name = name;
  lock.ttl = ttl;
  return true;
}

void LockTable::erase(const ChannelKey& channel, const std::string& name) {
  auto it = channels_.find(channel);
  if (it == channels_.end()) return;
  it->second.erase(name);
  if (it->second.empty()) channels_.erase(it);
}

std::vector<LockCopy> LockTable::list(const ChannelKey& channel) const {
  std::vector<LockCopy> locks;
  auto it = channels_.find(channel);
  if (it == channels_.end()) return locks;
  for (const auto& [name, lock] : it->second) locks.push_back({name, lock.owner, lock.ttl});
  return locks;
}

void LockTable::grant(LockEntry& lock, uint64_t clientId, const std::string& userId) {
  lock.ownerClient = clientId;
  lock.owner = userId;
  ++lock.holdSerial;
}

void LockTable::free(LockEntry& lock) {
  lock.ownerClient = 0;
  lock.owner.clear();
}

std::vector<LockRef> LockTable::heldBy(uint64_t clientId) const {
  std::vector<LockRef> held;
  for (const auto& [channel, locks] : channels_)
    for (const auto& [name, lock] : locks)
      if (lock.ownerClient == clientId) held.push_back({channel, name});
  return held;
}

std::vector<std::pair<LockRef, LockWaiter>> LockTable::dropWaiter(uint64_t clientId) {
  std::vector<std::pair<LockRef, LockWaiter>> dropped;
  for (auto& [channel, locks] : channels_) {
    for (auto& [name, lock] : locks) {
      auto& queue = lock.waiters;
      for (const LockWaiter& waiter : queue)
        if (waiter.clientId == clientId) dropped.push_back({{channel, name}, waiter});
      queue.erase(
          std::remove_if(queue.begin(), queue.end(),
                         [clientId](const LockWaiter& w) { return w.clientId == clientId; }),
          queue.end());
    }
  }
  return dropped;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
