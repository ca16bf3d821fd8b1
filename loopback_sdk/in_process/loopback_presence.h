// The stand-in's IKivPresence: who is where, and the users' state items.
#pragma once

#include <cstdint>

#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class LoopbackPresence final : public sdk::IKivPresence {
 public:
  explicit LoopbackPresence(uint64_t clientId) : clientId_(clientId) {}

  int whoNow(const char* channelName, int channelType, const sdk::PresenceOptions& options,
             uint64_t& requestId) override;
  int whereNow(const char* userId, uint64_t& requestId) override;
  int setState(const char* channelName, int channelType, const sdk::StateItem* items, size_t count,
               uint64_t& requestId) override;
  int removeState(const char* channelName, int channelType, const char** keys, size_t count,
                  uint64_t& requestId) override;
  int getState(const char* channelName, int channelType, const char* userId,
               uint64_t& requestId) override;
  int getOnlineUsers(const char* channelName, int channelType,
                     const sdk::GetOnlineUsersOptions& options, uint64_t& requestId) override;
  int getUserChannels(const char* userId, uint64_t& requestId) override;

 private:
  using UserListResult = void (sdk::IKivEventHandler::*)(uint64_t, const sdk::UserState*, size_t,
                                                         const char*, int);
  using ChannelListResult = void (sdk::IKivEventHandler::*)(uint64_t, const sdk::ChannelInfo*,
                                                            size_t, int);
  int listUsers(const char* channelName, int channelType, bool includeUserId, bool includeState,
                const char* page, uint64_t& requestId, UserListResult callback);
  int listChannels(const char* userId, uint64_t& requestId, ChannelListResult callback);

  const uint64_t clientId_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
