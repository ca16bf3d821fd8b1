// Who is in which channel: subscribers of message channels and joiners of
// stream channels, with what they asked to receive and their presence state.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

struct Member {
  uint64_t clientId = 0;
  std::string userId;
  MemberOptions options;
  StateMap state;
};

class ChannelMembers {
 public:
  // False when the client was a member already (its options are replaced).
  bool add(const ChannelKey& key, uint64_t clientId, const std::string& userId,
           const MemberOptions& options);
  bool remove(const ChannelKey& key, uint64_t clientId);
  Member* find(const ChannelKey& key, uint64_t clientId);
  // Members in the order they came; empty for an unknown channel.
  const std::vector<Member>& members(const ChannelKey& key) const;
  std::vector<ChannelKey> channelsOf(uint64_t clientId) const;
  // Channels where the user is visible (some client of it is a member and not quiet).
  std::vector<ChannelCopy> channelsOfUser(const std::string& userId) const;
  bool userVisible(const ChannelKey& key, const std::string& userId) const;
  // Visible users, each once, with the state of its first visible client.
  std::vector<UserStateCopy> visibleUsers(const ChannelKey& key) const;

 private:
  std::map<ChannelKey, std::vector<Member>> channels_;
};

// Replaces the value of each key given, adding keys that are new.
void mergeState(StateMap& state, const StateMap& items);
void removeStateKeys(StateMap& state, const std::vector<std::string>& keys);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
