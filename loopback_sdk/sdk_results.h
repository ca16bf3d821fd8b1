// The SDK face's checks of request inputs and the result events of every
// interface (client, presence, storage, locks, history, stream channels).
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/sdk_constants.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using UserListCallback = void (sdk::IKivEventHandler::*)(uint64_t, const sdk::UserState*, size_t,
                                                         const char*, int);
using ChannelListCallback = void (sdk::IKivEventHandler::*)(uint64_t, const sdk::ChannelInfo*,
                                                            size_t, int);

// Presence, metadata and locks live in message and stream channels.
inline int checkMemberChannel(const ChannelKey& channel) {
  if (channel.name.empty()) return kInvalidChannelName;
  if (channel.type != kChannelMessage && channel.type != kChannelStream) return kInvalidChannelType;
  return kOk;
}

// A page marker is the decimal offset of the page's first user.
inline bool readPresencePage(const char* page, size_t& offset) {
  offset = 0;
  if (!page || !*page) return true;
  for (const char* c = page; *c; ++c) {
    if (*c < '0' || *c > '9' || offset > 100000000) return false;
    offset = offset * 10 + static_cast<size_t>(*c - '0');
  }
  return true;
}

// The result builders take the request's lists by reference: they are filled
// by the body, which runs before the result is made.
inline auto plainResult(void (sdk::IKivEventHandler::*callback)(uint64_t, int)) {
  return [callback](uint64_t id, int code) -> Event {
    return [callback, id, code](sdk::IKivEventHandler& h) { (h.*callback)(id, code); };
  };
}

inline auto userListResult(UserListCallback callback, std::vector<UserStateCopy>& users,
                           std::string& nextPage) {
  return [&users, &nextPage, callback](uint64_t id, int code) -> Event {
    return [callback, id, list = std::move(users), next = std::move(nextPage),
            code](sdk::IKivEventHandler& h) {
      UserStatesView view(list);
      (h.*callback)(id, view.data(), view.size(), next.c_str(), code);
    };
  };
}

inline auto channelListResult(ChannelListCallback callback, std::vector<ChannelCopy>& channels) {
  return [&channels, callback](uint64_t id, int code) -> Event {
    return [callback, id, list = std::move(channels), code](sdk::IKivEventHandler& h) {
      ChannelsView view(list);
      (h.*callback)(id, view.data(), view.size(), code);
    };
  };
}

inline auto stateResult(UserStateCopy& found) {
  return [&found](uint64_t id, int code) -> Event {
    return [id, user = std::move(found), code](sdk::IKivEventHandler& h) {
      const std::vector<UserStateCopy> one{user};
      UserStatesView view(one);
      h.onPresenceGetStateResult(id, *view.data(), code);
    };
  };
}

// Client.
using ChannelCallback = void (sdk::IKivEventHandler::*)(uint64_t, const char*, int);

inline int checkPublish(const char* channelName, const char* message, size_t length,
                        int channelType) {
  if (!channelName || !*channelName) return kInvalidChannelName;
  if (channelType != kChannelMessage && channelType != kChannelUser) return kInvalidChannelType;
  if (!message && length > 0) return kInvalidArgument;
  if (length > kMaxPayloadBytes) return kMessageTooLarge;
  return kOk;
}

// A result naming one text: a channel (subscribe) or a user (user metadata).
inline auto namedResult(ChannelCallback callback, std::string name) {
  return [callback, name](uint64_t id, int code) -> Event {
    return [callback, id, name, code](sdk::IKivEventHandler& h) {
      (h.*callback)(id, name.c_str(), code);
    };
  };
}

// The client's (server type message) or a stream channel's (named) token renewal.
inline auto renewTokenResult(int serverType = kServerMessage, std::string channel = "") {
  return [serverType, channel](uint64_t id, int code) -> Event {
    return [id, serverType, channel, code](sdk::IKivEventHandler& h) {
      h.onRenewTokenResult(id, serverType, channel.c_str(), code);
    };
  };
}

// Locks live in message and stream channels; 0 when the channel and name are usable.
inline int checkLockTarget(const ChannelKey& channel, const std::string& lockName, bool needName) {
  if (const int code = checkMemberChannel(channel)) return code;
  if (needName && lockName.empty()) return kInvalidArgument;
  return kOk;
}

using LockCallback = void (sdk::IKivEventHandler::*)(uint64_t, const char*, int, const char*, int);

inline auto lockResult(LockCallback callback, const ChannelKey& channel,
                       const std::string& lockName) {
  return [callback, channel, lockName](uint64_t id, int code) -> Event {
    return [callback, id, channel, lockName, code](sdk::IKivEventHandler& h) {
      (h.*callback)(id, channel.name.c_str(), channel.type, lockName.c_str(), code);
    };
  };
}

inline auto locksResult(std::vector<LockCopy>& found, const ChannelKey& channel) {
  return [&found, channel](uint64_t id, int code) -> Event {
    return [id, channel, locks = std::move(found), code](sdk::IKivEventHandler& h) {
      LocksView view(locks);
      h.onGetLocksResult(id, channel.name.c_str(), channel.type, view.data(), view.size(), code);
    };
  };
}

// The result event of an acquisition (answered at once or once granted).
inline Event acquireResult(uint64_t requestId, const ChannelKey& channel,
                           const std::string& lockName, int code, const std::string& details) {
  return [requestId, channel, lockName, code, details](sdk::IKivEventHandler& handler) {
    handler.onAcquireLockResult(requestId, channel.name.c_str(), channel.type, lockName.c_str(),
                                code, details.c_str());
  };
}

// Storage.
inline auto channelMetadataResult(MetadataCopy& found, const ChannelKey& channel) {
  return [&found, channel](uint64_t id, int code) -> Event {
    return [id, channel, data = std::move(found), code](sdk::IKivEventHandler& h) {
      MetadataView view(data);
      h.onGetChannelMetadataResult(id, channel.name.c_str(), channel.type, view.get(), code);
    };
  };
}

inline auto userMetadataResult(MetadataCopy& found, const std::string& userId) {
  return [&found, userId](uint64_t id, int code) -> Event {
    return [id, userId, data = std::move(found), code](sdk::IKivEventHandler& h) {
      MetadataView view(data);
      h.onGetUserMetadataResult(id, userId.c_str(), view.get(), code);
    };
  };
}

// History lives in message and user channels.
inline int checkHistoryChannel(const ChannelKey& channel) {
  if (channel.name.empty()) return kInvalidChannelName;
  if (channel.type != kChannelMessage && channel.type != kChannelUser) return kInvalidChannelType;
  return kOk;
}

inline auto historyResult(HistoryPage& page) {
  return [&page](uint64_t id, int code) -> Event {
    return [id, found = std::move(page), code](sdk::IKivEventHandler& h) {
      HistoryView view(found.messages);
      h.onGetHistoryMessagesResult(id, view.data(), view.size(), found.newStart, code);
    };
  };
}

// Stream channels.
using ChannelTextCallback = void (sdk::IKivEventHandler::*)(uint64_t, const char*, const char*,
                                                            int);
using MembershipCallback = void (sdk::IKivEventHandler::*)(uint64_t, const char*, const char*,
                                                           const char*, const char*, int);

// A result naming the channel and one more text (topic or user), read when
// the result is made (after the body).
inline auto channelTextResult(ChannelTextCallback callback, const std::string& channel,
                              const std::string& second) {
  return [callback, channel, &second](uint64_t id, int code) -> Event {
    return [callback, id, channel, second, code](sdk::IKivEventHandler& h) {
      (h.*callback)(id, channel.c_str(), second.c_str(), code);
    };
  };
}

// A topic join or leave: the user, topic and meta (user and meta read after the body).
inline auto membershipResult(MembershipCallback callback, const std::string& channel,
                             const std::string& userId, const std::string& topic,
                             const std::string& meta) {
  return [callback, channel, &userId, topic, &meta](uint64_t id, int code) -> Event {
    return [callback, id, channel, userId, topic, meta, code](sdk::IKivEventHandler& h) {
      (h.*callback)(id, channel.c_str(), userId.c_str(), topic.c_str(), meta.c_str(), code);
    };
  };
}

inline auto subscribedUsersResult(const std::string& channel, const std::string& topic,
                                  std::vector<std::string>& users) {
  return [channel, topic, &users](uint64_t id, int code) -> Event {
    return [id, channel, topic, list = std::move(users), code](sdk::IKivEventHandler& h) {
      StringsView view(list);
      h.onGetSubscribedUserListResult(id, channel.c_str(), topic.c_str(), view.userList(), code);
    };
  };
}

// A stream channel's setParameters accepts any JSON object and changes nothing.
inline int checkStreamParameters(const char* parameters) {
  if (!parameters) return kInvalidParameters;
  return nlohmann::json::parse(parameters, nullptr, false).is_object() ? kOk : kInvalidParameters;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
