#include "loopback_sdk/in_process/channel_members.h"

#include <algorithm>
#include <set>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

bool ChannelMembers::add(const ChannelKey& key, uint64_t clientId, const std::string& userId,
                         const MemberOptions& options) {
  if (Member* member = find(key, clientId)) {
    member->options = options;
    return false;
  }
  Member member;
  member.clientId = clientId;
  member.userId = userId;
  member.options = options;
  channels_[key].push_back(std::move(member));
  return true;
}

bool ChannelMembers::remove(const ChannelKey& key, uint64_t clientId) {
  auto it = channels_.find(key);
  if (it == channels_.end()) return false;
  auto& list = it->second;
  auto member = std::find_if(list.begin(), list.end(),
                             [clientId](const Member& m) { return m.clientId == clientId; });
  if (member == list.end()) return false;
  list.erase(member);
  if (list.empty()) channels_.erase(it);
  return true;
}

Member* ChannelMembers::find(const ChannelKey& key, uint64_t clientId) {
  auto it = channels_.find(key);
  if (it == channels_.end()) return nullptr;
  for (Member& member : it->second)
    if (member.clientId == clientId) return &member;
  return nullptr;
}

const std::vector<Member>& ChannelMembers::members(const ChannelKey& key) const {
  static const std::vector<Member> kNone;
  auto it = channels_.find(key);
  return it == channels_.end() ? kNone : it->second;
}

std::vector<ChannelKey> ChannelMembers::channelsOf(uint64_t clientId) const {
  std::vector<ChannelKey> keys;
  for (const auto& [key, list] : channels_)
    for (const Member& member : list)
      if (member.clientId == clientId) keys.push_back(key);
  return keys;
}

std::vector<ChannelCopy> ChannelMembers::channelsOfUser(const std::string& userId) const {
  std::vector<ChannelCopy> channels;
  for (const auto& [key, list] : channels_)
    if (userVisible(key, userId)) channels.push_back({key.name, key.type});
  return channels;
}

bool ChannelMembers::userVisible(const ChannelKey& key, const std::string& userId) const {
  for (const Member& member : members(key))
    if (member.userId == userId && !member.options.beQuiet) return true;
  return false;
}

std::vector<UserStateCopy> ChannelMembers::visibleUsers(const ChannelKey& key) const {
  std::vector<UserStateCopy> users;
  std::set<std::string> seen;
  for (const Member& member : members(key)) {
    if (member.options.beQuiet || !seen.insert(member.userId).second) continue;
    users.push_back({member.userId, member.state});
  }
  return users;
}

void mergeState(StateMap& state, const StateMap& items) {
  for (const auto& [key, value] : items) {
    auto it = std::find_if(state.begin(), state.end(),
                           [&key = key](const auto& entry) { return entry.first == key; });
    if (it != state.end())
      it->second = value;
    else
      state.emplace_back(key, value);
  }
}

void removeStateKeys(StateMap& state, const std::vector<std::string>& keys) {
  state.erase(std::remove_if(state.begin(), state.end(),
                             [&keys](const auto& entry) {
                               return std::find(keys.begin(), keys.end(), entry.first) !=
                                      keys.end();
                             }),
              state.end());
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
