#include "loopback_sdk/in_process/loopback_presence.h"

#include <algorithm>

#include "loopback_sdk/in_process/channel_flows.h"
#include "loopback_sdk/in_process/request.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

// Tells the channel's presence subscribers about the member's new state.
void announceState(ServiceState& state, const ChannelKey& channel, const Member& member) {
  if (member.options.beQuiet) return;
  notifyMembers(state, channel, Interest::kPresence, member.clientId,
                presenceInterval(channel, PresenceChange::kState, member.userId, member.state,
                                 state.timestamp()));
}

}  // namespace

int LoopbackPresence::listUsers(const char* channelName, int channelType, bool includeUserId,
                                bool includeState, const char* page, uint64_t& requestId,
                                UserListResult callback) {
  const ChannelKey channel{channelType, text(channelName)};
  std::vector<UserStateCopy> users;
  std::string nextPage;
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkPresenceChannel(channel)) return code;
        size_t offset = 0;
        if (!readPresencePage(page, offset)) return kInvalidArgument;
        const std::vector<UserStateCopy> all = r.state.members.visibleUsers(channel);
        const size_t first = std::min(offset, all.size());
        const size_t last = std::min(first + kPresencePageSize, all.size());
        users.assign(all.begin() + first, all.begin() + last);
        if (last < all.size()) nextPage = std::to_string(last);
        for (UserStateCopy& user : users) {
          if (!includeUserId) user.userId.clear();
          if (!includeState) user.states.clear();
        }
        return kOk;
      },
      userListResult(callback, users, nextPage));
}

int LoopbackPresence::listChannels(const char* userId, uint64_t& requestId,
                                   ChannelListResult callback) {
  const std::string target = text(userId);
  std::vector<ChannelCopy> channels;
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (target.empty()) return kInvalidUserId;
        channels = r.state.members.channelsOfUser(target);
        return kOk;
      },
      channelListResult(callback, channels));
}

int LoopbackPresence::whoNow(const char* channelName, int channelType,
                             const sdk::PresenceOptions& options, uint64_t& requestId) {
  return listUsers(channelName, channelType, options.includeUserId, options.includeState,
                   options.page, requestId, &IKivEventHandler::onWhoNowResult);
}

int LoopbackPresence::getOnlineUsers(const char* channelName, int channelType,
                                     const sdk::GetOnlineUsersOptions& options,
                                     uint64_t& requestId) {
  return listUsers(channelName, channelType, options.includeUserId, options.includeState,
                   options.page, requestId, &IKivEventHandler::onGetOnlineUsersResult);
}

int LoopbackPresence::whereNow(const char* userId, uint64_t& requestId) {
  return listChannels(userId, requestId, &IKivEventHandler::onWhereNowResult);
}

int LoopbackPresence::getUserChannels(const char* userId, uint64_t& requestId) {
  return listChannels(userId, requestId, &IKivEventHandler::onGetUserChannelsResult);
}

int LoopbackPresence::setState(const char* channelName, int channelType,
                               const sdk::StateItem* items, size_t count, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  StateMap changes;
  bool readable = items || count == 0;
  for (size_t i = 0; readable && i < count; ++i) {
    if (!items[i].key || !*items[i].key)
      readable = false;
    else
      changes.emplace_back(items[i].key, text(items[i].value));
  }
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkPresenceChannel(channel)) return code;
        if (!readable) return kInvalidArgument;
        Member* member = r.state.members.find(channel, r.client.id);
        if (!member) return kNotInChannel;
        mergeState(member->state, changes);
        announceState(r.state, channel, *member);
        return kOk;
      },
      plainResult(&IKivEventHandler::onPresenceSetStateResult));
}

int LoopbackPresence::removeState(const char* channelName, int channelType, const char** keys,
                                  size_t count, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const bool readable = keys || count == 0;
  const std::vector<std::string> names =
      readable ? copyStrings(keys, count) : std::vector<std::string>();
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkPresenceChannel(channel)) return code;
        if (!readable) return kInvalidArgument;
        Member* member = r.state.members.find(channel, r.client.id);
        if (!member) return kNotInChannel;
        // No keys: every state item goes.
        if (names.empty())
          member->state.clear();
        else
          removeStateKeys(member->state, names);
        announceState(r.state, channel, *member);
        return kOk;
      },
      plainResult(&IKivEventHandler::onPresenceRemoveStateResult));
}

int LoopbackPresence::getState(const char* channelName, int channelType, const char* userId,
                               uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string target = text(userId);
  UserStateCopy found{target, {}};
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkPresenceChannel(channel)) return code;
        if (target.empty()) return kInvalidUserId;
        for (const UserStateCopy& user : r.state.members.visibleUsers(channel)) {
          if (user.userId == target) {
            found = user;
            return kOk;
          }
        }
        return kUserNotPresent;
      },
      stateResult(found));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
