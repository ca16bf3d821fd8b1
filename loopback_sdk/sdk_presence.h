// The stand-in's IKivPresence, whichever backend serves it: who is where,
// and the members' state items.
#pragma once

#include <cstdint>

#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class SdkPresence final : public sdk::IKivPresence {
 public:
  explicit SdkPresence(FaceRequests& requests) : requests_(requests) {}

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

  FaceRequests& requests_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
