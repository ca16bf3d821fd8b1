#include "loopback_sdk/sdk_presence.h"

#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

int SdkPresence::listUsers(const char* channelName, int channelType, bool includeUserId,
                           bool includeState, const char* page, uint64_t& requestId,
                           UserListResult callback) {
  const ChannelKey channel{channelType, text(channelName)};
  std::vector<UserStateCopy> users;
  std::string nextPage;
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkMemberChannel(channel)) return code;
        size_t offset = 0;
        if (!readPresencePage(page, offset)) return kInvalidArgument;
        const int code = requests_.backend().listUsers(channel, offset, users, nextPage);
        for (UserStateCopy& user : users) {
          if (!includeUserId) user.userId.clear();
          if (!includeState) user.states.clear();
        }
        return code;
      },
      userListResult(callback, users, nextPage));
}

int SdkPresence::listChannels(const char* userId, uint64_t& requestId, ChannelListResult callback) {
  const std::string target = text(userId);
  std::vector<ChannelCopy> channels;
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (target.empty()) return kInvalidUserId;
        return requests_.backend().listChannels(target, channels);
      },
      channelListResult(callback, channels));
}

int SdkPresence::whoNow(const char* channelName, int channelType,
                        const sdk::PresenceOptions& options, uint64_t& requestId) {
  return listUsers(channelName, channelType, options.includeUserId, options.includeState,
                   options.page, requestId, &IKivEventHandler::onWhoNowResult);
}

int SdkPresence::getOnlineUsers(const char* channelName, int channelType,
                                const sdk::GetOnlineUsersOptions& options, uint64_t& requestId) {
  return listUsers(channelName, channelType, options.includeUserId, options.includeState,
                   options.page, requestId, &IKivEventHandler::onGetOnlineUsersResult);
}

int SdkPresence::whereNow(const char* userId, uint64_t& requestId) {
  return listChannels(userId, requestId, &IKivEventHandler::onWhereNowResult);
}

int SdkPresence::getUserChannels(const char* userId, uint64_t& requestId) {
  return listChannels(userId, requestId, &IKivEventHandler::onGetUserChannelsResult);
}

int SdkPresence::setState(const char* channelName, int channelType, const sdk::StateItem* items,
                          size_t count, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  StateMap changes;
  bool readable = items || count == 0;
  for (size_t i = 0; readable && i < count; ++i) {
    if (!items[i].key || !*items[i].key)
      readable = false;
    else
      changes.emplace_back(items[i].key, text(items[i].value));
  }
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkMemberChannel(channel)) return code;
        if (!readable) return kInvalidArgument;
        return requests_.backend().setState(channel, changes);
      },
      plainResult(&IKivEventHandler::onPresenceSetStateResult));
}

int SdkPresence::removeState(const char* channelName, int channelType, const char** keys,
                             size_t count, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const bool readable = keys || count == 0;
  const std::vector<std::string> names =
      readable ? copyStrings(keys, count) : std::vector<std::string>();
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkMemberChannel(channel)) return code;
        if (!readable) return kInvalidArgument;
        return requests_.backend().removeState(channel, names);
      },
      plainResult(&IKivEventHandler::onPresenceRemoveStateResult));
}

int SdkPresence::getState(const char* channelName, int channelType, const char* userId,
                          uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string target = text(userId);
  UserStateCopy found{target, {}};
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkMemberChannel(channel)) return code;
        if (target.empty()) return kInvalidUserId;
        return requests_.backend().getState(channel, target, found);
      },
      stateResult(found));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
