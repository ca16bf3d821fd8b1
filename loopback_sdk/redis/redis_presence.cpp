#include "loopback_sdk/redis/redis_presence.h"

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/redis/inbox_events.h"
#include "loopback_sdk/redis/redis_client.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;
using Need = RedisClient::Need;

namespace {

UserStateCopy userOf(const nlohmann::json& pair) {
  if (!pair.is_array() || pair.size() != 2 || !pair[0].is_string()) return {};
  return {pair[0].get<std::string>(), stateOf(pair[1])};
}

}  // namespace

int RedisPresence::listUsers(const char* channelName, int channelType, bool includeUserId,
                             bool includeState, const char* page, uint64_t& requestId,
                             UserListResult callback) {
  const std::string name = text(channelName);
  std::vector<UserStateCopy> users;
  std::string nextPage;
  return client_.request(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkPresenceChannel({channelType, name})) return code;
        size_t offset = 0;
        if (!readPresencePage(page, offset)) return kInvalidArgument;
        nlohmann::json data;
        const int code = client_.callService(
            "listUsers", {std::to_string(channelType), name, text(page)}, nullptr, &data);
        if (code != kOk) return code;
        for (const nlohmann::json& user : data.value("users", nlohmann::json::array())) {
          users.push_back(userOf(user));
          if (!includeUserId) users.back().userId.clear();
          if (!includeState) users.back().states.clear();
        }
        nextPage = data.value("next", "");
        return kOk;
      },
      userListResult(callback, users, nextPage));
}

int RedisPresence::listChannels(const char* userId, uint64_t& requestId,
                                ChannelListResult callback) {
  const std::string target = text(userId);
  std::vector<ChannelCopy> channels;
  return client_.request(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (target.empty()) return kInvalidUserId;
        nlohmann::json data;
        const int code = client_.callService("listChannels", {target}, nullptr, &data);
        if (code != kOk || !data.is_array()) return code;
        for (const nlohmann::json& channel : data)
          if (channel.is_array() && channel.size() == 2 && channel[0].is_string() &&
              channel[1].is_number_integer())
            channels.push_back({channel[0].get<std::string>(), channel[1].get<int>()});
        return kOk;
      },
      channelListResult(callback, channels));
}

int RedisPresence::whoNow(const char* channelName, int channelType,
                          const sdk::PresenceOptions& options, uint64_t& requestId) {
  return listUsers(channelName, channelType, options.includeUserId, options.includeState,
                   options.page, requestId, &IKivEventHandler::onWhoNowResult);
}

int RedisPresence::getOnlineUsers(const char* channelName, int channelType,
                                  const sdk::GetOnlineUsersOptions& options, uint64_t& requestId) {
  return listUsers(channelName, channelType, options.includeUserId, options.includeState,
                   options.page, requestId, &IKivEventHandler::onGetOnlineUsersResult);
}

int RedisPresence::whereNow(const char* userId, uint64_t& requestId) {
  return listChannels(userId, requestId, &IKivEventHandler::onWhereNowResult);
}

int RedisPresence::getUserChannels(const char* userId, uint64_t& requestId) {
  return listChannels(userId, requestId, &IKivEventHandler::onGetUserChannelsResult);
}

int RedisPresence::setState(const char* channelName, int channelType, const sdk::StateItem* items,
                            size_t count, uint64_t& requestId) {
  const std::string name = text(channelName);
  std::vector<std::string> arguments{std::to_string(channelType), name};
  bool readable = items || count == 0;
  for (size_t i = 0; readable && i < count; ++i) {
    if (!items[i].key || !*items[i].key) {
      readable = false;
    } else {
      arguments.push_back(items[i].key);
      arguments.push_back(text(items[i].value));
    }
  }
  return client_.request(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkPresenceChannel({channelType, name})) return code;
        if (!readable) return kInvalidArgument;
        return client_.callService("setState", arguments);
      },
      plainResult(&IKivEventHandler::onPresenceSetStateResult));
}

int RedisPresence::removeState(const char* channelName, int channelType, const char** keys,
                               size_t count, uint64_t& requestId) {
  const std::string name = text(channelName);
  const bool readable = keys || count == 0;
  std::vector<std::string> arguments{std::to_string(channelType), name};
  if (readable)
    for (std::string& key : copyStrings(keys, count)) arguments.push_back(std::move(key));
  return client_.request(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkPresenceChannel({channelType, name})) return code;
        if (!readable) return kInvalidArgument;
        return client_.callService("removeState", arguments);
      },
      plainResult(&IKivEventHandler::onPresenceRemoveStateResult));
}

int RedisPresence::getState(const char* channelName, int channelType, const char* userId,
                            uint64_t& requestId) {
  const std::string name = text(channelName);
  const std::string target = text(userId);
  UserStateCopy found{target, {}};
  return client_.request(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkPresenceChannel({channelType, name})) return code;
        if (target.empty()) return kInvalidUserId;
        nlohmann::json data;
        const int code = client_.callService(
            "getState", {std::to_string(channelType), name, target}, nullptr, &data);
        if (code == kOk) found = userOf(data);
        return code;
      },
      stateResult(found));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
