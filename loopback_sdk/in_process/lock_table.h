// The named locks of each channel: time to live, holder, and the queue of
// clients waiting to acquire a held lock.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

struct LockWaiter {
  uint64_t clientId = 0;
  uint64_t requestId = 0;
};

struct LockEntry {
  std::string name;
  uint32_t ttl = 0;
  std::string owner;         // user id; empty while free
  uint64_t ownerClient = 0;  // 0 while free
  uint64_t holdSerial = 0;   // bumped on every grant, so expiry tasks can tell holds apart
  std::deque<LockWaiter> waiters;

  bool held() const { return ownerClient != 0; }
};

// A lock as seen from outside its table.
struct LockRef {
  ChannelKey channel;
  std::string name;
};

class LockTable {
 public:
  LockEntry* find(const ChannelKey& channel, const std::string& name);
  // False when a lock of that name exists already.
  bool create(const ChannelKey& channel, const std::string& name, uint32_t ttl);
  void erase(const ChannelKey& channel, const std::string& name);
  std::vector<LockCopy> list(const ChannelKey& channel) const;

  static void grant(LockEntry& lock, uint64_t clientId, const std::string& userId);
  static void free(LockEntry& lock);

  std::vector<LockRef> heldBy(uint64_t clientId) const;
  // Takes the client out of every waiting queue; returns what it waited for.
  std::vector<std::pair<LockRef, LockWaiter>> dropWaiter(uint64_t clientId);

 private:
  std::map<ChannelKey, std::map<std::string, LockEntry>> channels_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
