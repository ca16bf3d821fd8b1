// The SDK's callback interface. The SDK calls these operations by vtable
// position from its own threads: their order is part of the binary interface.
#pragma once

#include "velmo_kiv_sdk/kiv_records.h"
#include "velmo_kiv_sdk/msvc_vtable.h"

namespace velmo {
namespace kiv {

// Slot 0 is the destructor, slots 1 to 47 the callbacks below; on Windows
// in the layout MSVC gives it, whichever compiler builds either side
// (velmo_kiv_sdk/msvc_vtable.h).
class IKivEventHandler {
 public:
#if VELMO_MSVC_VTABLE_EMULATED
  virtual void* VELMO_THISCALL deletingDestructor(unsigned int flags) {
    if (flags & VELMO_DELETE_MEMORY) {
      delete this;
    } else {
      this->~IKivEventHandler();
    }
    return this;
  }
#else
  virtual ~IKivEventHandler() {}
#endif

  virtual void onLinkStateEvent(const LinkStateEvent& event) { (void)event; }
  virtual void onMessageEvent(const MessageEvent& event) { (void)event; }
  virtual void onPresenceEvent(const PresenceEvent& event) { (void)event; }
  virtual void onTopicEvent(const TopicEvent& event) { (void)event; }
  virtual void onLockEvent(const LockEvent& event) { (void)event; }
  virtual void onStorageEvent(const StorageEvent& event) { (void)event; }
  virtual void onTokenEvent(const TokenEvent& event) { (void)event; }
  virtual void onJoinResult(uint64_t requestId, const char* channelName, const char* userId,
                            int errorCode) {
    (void)requestId, (void)channelName, (void)userId, (void)errorCode;
  }
  virtual void onLeaveResult(uint64_t requestId, const char* channelName, const char* userId,
                             int errorCode) {
    (void)requestId, (void)channelName, (void)userId, (void)errorCode;
  }
  virtual void onPublishTopicMessageResult(uint64_t requestId, const char* channelName,
                                           const char* topic, int errorCode) {
    (void)requestId, (void)channelName, (void)topic, (void)errorCode;
  }
  virtual void onJoinTopicResult(uint64_t requestId, const char* channelName, const char* userId,
                                 const char* topic, const char* meta, int errorCode) {
    (void)requestId, (void)channelName, (void)userId, (void)topic, (void)meta, (void)errorCode;
  }
  virtual void onLeaveTopicResult(uint64_t requestId, const char* channelName, const char* userId,
                                  const char* topic, const char* meta, int errorCode) {
    (void)requestId, (void)channelName, (void)userId, (void)topic, (void)meta, (void)errorCode;
  }
  virtual void onSubscribeTopicResult(uint64_t requestId, const char* channelName,
                                      const char* userId, const char* topic, UserList succeedUsers,
                                      UserList failedUsers, int errorCode) {
    (void)requestId, (void)channelName, (void)userId, (void)topic, (void)succeedUsers,
        (void)failedUsers, (void)errorCode;
  }
  virtual void onUnsubscribeTopicResult(uint64_t requestId, const char* channelName,
                                        const char* topic, int errorCode) {
    (void)requestId, (void)channelName, (void)topic, (void)errorCode;
  }
  virtual void onGetSubscribedUserListResult(uint64_t requestId, const char* channelName,
                                             const char* topic, UserList users, int errorCode) {
    (void)requestId, (void)channelName, (void)topic, (void)users, (void)errorCode;
  }
  virtual void onConnectionStateChanged(const char* channelName, int state, int reason) {
    (void)channelName, (void)state, (void)reason;
  }
  virtual void onTokenPrivilegeWillExpire(const char* channelName) { (void)channelName; }
  virtual void onSubscribeResult(uint64_t requestId, const char* channelName, int errorCode) {
    (void)requestId, (void)channelName, (void)errorCode;
  }
  virtual void onUnsubscribeResult(uint64_t requestId, const char* channelName, int errorCode) {
    (void)requestId, (void)channelName, (void)errorCode;
  }
  virtual void onPublishResult(uint64_t requestId, int errorCode) {
    (void)requestId, (void)errorCode;
  }
  virtual void onLoginResult(uint64_t requestId, int errorCode) {
    (void)requestId, (void)errorCode;
  }
  virtual void onLogoutResult(uint64_t requestId, int errorCode) {
    (void)requestId, (void)errorCode;
  }
  virtual void onRenewTokenResult(uint64_t requestId, int serverType, const char* channelName,
                                  int errorCode) {
    (void)requestId, (void)serverType, (void)channelName, (void)errorCode;
  }
  virtual void onSetChannelMetadataResult(uint64_t requestId, const char* channelName,
                                          int channelType, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)errorCode;
  }
  virtual void onUpdateChannelMetadataResult(uint64_t requestId, const char* channelName,
                                             int channelType, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)errorCode;
  }
  virtual void onRemoveChannelMetadataResult(uint64_t requestId, const char* channelName,
                                             int channelType, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)errorCode;
  }
  virtual void onGetChannelMetadataResult(uint64_t requestId, const char* channelName,
                                          int channelType, const Metadata& data, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)data, (void)errorCode;
  }
  virtual void onSetUserMetadataResult(uint64_t requestId, const char* userId, int errorCode) {
    (void)requestId, (void)userId, (void)errorCode;
  }
  virtual void onUpdateUserMetadataResult(uint64_t requestId, const char* userId, int errorCode) {
    (void)requestId, (void)userId, (void)errorCode;
  }
  virtual void onRemoveUserMetadataResult(uint64_t requestId, const char* userId, int errorCode) {
    (void)requestId, (void)userId, (void)errorCode;
  }
  virtual void onGetUserMetadataResult(uint64_t requestId, const char* userId, const Metadata& data,
                                       int errorCode) {
    (void)requestId, (void)userId, (void)data, (void)errorCode;
  }
  virtual void onSubscribeUserMetadataResult(uint64_t requestId, const char* userId,
                                             int errorCode) {
    (void)requestId, (void)userId, (void)errorCode;
  }
  virtual void onUnsubscribeUserMetadataResult(uint64_t requestId, const char* userId,
                                               int errorCode) {
    (void)requestId, (void)userId, (void)errorCode;
  }
  virtual void onSetLockResult(uint64_t requestId, const char* channelName, int channelType,
                               const char* lockName, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)lockName, (void)errorCode;
  }
  virtual void onRemoveLockResult(uint64_t requestId, const char* channelName, int channelType,
                                  const char* lockName, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)lockName, (void)errorCode;
  }
  virtual void onReleaseLockResult(uint64_t requestId, const char* channelName, int channelType,
                                   const char* lockName, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)lockName, (void)errorCode;
  }
  virtual void onAcquireLockResult(uint64_t requestId, const char* channelName, int channelType,
                                   const char* lockName, int errorCode, const char* errorDetails) {
    (void)requestId, (void)channelName, (void)channelType, (void)lockName, (void)errorCode,
        (void)errorDetails;
  }
  virtual void onRevokeLockResult(uint64_t requestId, const char* channelName, int channelType,
                                  const char* lockName, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)lockName, (void)errorCode;
  }
  virtual void onGetLocksResult(uint64_t requestId, const char* channelName, int channelType,
                                const LockDetail* lockDetailList, size_t count, int errorCode) {
    (void)requestId, (void)channelName, (void)channelType, (void)lockDetailList, (void)count,
        (void)errorCode;
  }
  virtual void onWhoNowResult(uint64_t requestId, const UserState* userStateList, size_t count,
                              const char* nextPage, int errorCode) {
    (void)requestId, (void)userStateList, (void)count, (void)nextPage, (void)errorCode;
  }
  virtual void onGetOnlineUsersResult(uint64_t requestId, const UserState* userStateList,
                                      size_t count, const char* nextPage, int errorCode) {
    (void)requestId, (void)userStateList, (void)count, (void)nextPage, (void)errorCode;
  }
  virtual void onWhereNowResult(uint64_t requestId, const ChannelInfo* channels, size_t count,
                                int errorCode) {
    (void)requestId, (void)channels, (void)count, (void)errorCode;
  }
  virtual void onGetUserChannelsResult(uint64_t requestId, const ChannelInfo* channels,
                                       size_t count, int errorCode) {
    (void)requestId, (void)channels, (void)count, (void)errorCode;
  }
  virtual void onPresenceSetStateResult(uint64_t requestId, int errorCode) {
    (void)requestId, (void)errorCode;
  }
  virtual void onPresenceRemoveStateResult(uint64_t requestId, int errorCode) {
    (void)requestId, (void)errorCode;
  }
  virtual void onPresenceGetStateResult(uint64_t requestId, const UserState& state, int errorCode) {
    (void)requestId, (void)state, (void)errorCode;
  }
  virtual void onGetHistoryMessagesResult(uint64_t requestId, const HistoryMessage* messageList,
                                          size_t count, uint64_t newStart, int errorCode) {
    (void)requestId, (void)messageList, (void)count, (void)newStart, (void)errorCode;
  }
#if VELMO_MSVC_VTABLE_EMULATED
  virtual ~IKivEventHandler() {}
#endif
};

}  // namespace kiv
}  // namespace velmo
