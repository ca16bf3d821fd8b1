// The SDK's callback interface turned into named JSON events: every callback
// whose arguments are scalars, strings or single records becomes one event
// described in kiv_event_catalogue.h. The array and payload callbacks are
// left to KivEventHandler.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/kiv/src/event/event_buffers.h"
#include "src/kiv/src/event/kiv_event_catalogue.h"
#include "src/kiv/src/event/quon_event_handler_manager.h"
#include "velmo_kiv_sdk/kiv_event_handler.h"

namespace velmo {
namespace quon {
namespace kiv {

class KivEventHandlerGen : public sdk::IKivEventHandler, public virtual QuonEventHandlerManager {
 public:
  ~KivEventHandlerGen() override;

  void onLinkStateEvent(const sdk::LinkStateEvent& event) override {
    emit(events::onLinkStateEvent, event);
  }
  void onPresenceEvent(const sdk::PresenceEvent& event) override {
    emit(events::onPresenceEvent, event);
  }
  void onTopicEvent(const sdk::TopicEvent& event) override { emit(events::onTopicEvent, event); }
  void onLockEvent(const sdk::LockEvent& event) override { emit(events::onLockEvent, event); }
  void onStorageEvent(const sdk::StorageEvent& event) override {
    emit(events::onStorageEvent, event);
  }
  void onTokenEvent(const sdk::TokenEvent& event) override { emit(events::onTokenEvent, event); }
  void onJoinResult(uint64_t requestId, const char* channelName, const char* userId,
                    int errorCode) override {
    emit(events::onJoinResult, requestId, channelName, userId, errorCode);
  }
  void onLeaveResult(uint64_t requestId, const char* channelName, const char* userId,
                     int errorCode) override {
    emit(events::onLeaveResult, requestId, channelName, userId, errorCode);
  }
  void onPublishTopicMessageResult(uint64_t requestId, const char* channelName, const char* topic,
                                   int errorCode) override {
    emit(events::onPublishTopicMessageResult, requestId, channelName, topic, errorCode);
  }
  void onJoinTopicResult(uint64_t requestId, const char* channelName, const char* userId,
                         const char* topic, const char* meta, int errorCode) override {
    emit(events::onJoinTopicResult, requestId, channelName, userId, topic, meta, errorCode);
  }
  void onLeaveTopicResult(uint64_t requestId, const char* channelName, const char* userId,
                          const char* topic, const char* meta, int errorCode) override {
    emit(events::onLeaveTopicResult, requestId, channelName, userId, topic, meta, errorCode);
  }
  void onSubscribeTopicResult(uint64_t requestId, const char* channelName, const char* userId,
                              const char* topic, sdk::UserList succeedUsers,
                              sdk::UserList failedUsers, int errorCode) override {
    emit(events::onSubscribeTopicResult, requestId, channelName, userId, topic, succeedUsers,
         failedUsers, errorCode);
  }
  void onUnsubscribeTopicResult(uint64_t requestId, const char* channelName, const char* topic,
                                int errorCode) override {
    emit(events::onUnsubscribeTopicResult, requestId, channelName, topic, errorCode);
  }
  void onGetSubscribedUserListResult(uint64_t requestId, const char* channelName, const char* topic,
                                     sdk::UserList users, int errorCode) override {
    emit(events::onGetSubscribedUserListResult, requestId, channelName, topic, users, errorCode);
  }
  void onConnectionStateChanged(const char* channelName, int state, int reason) override {
    emit(events::onConnectionStateChanged, channelName, state, reason);
  }
  void onTokenPrivilegeWillExpire(const char* channelName) override {
    emit(events::onTokenPrivilegeWillExpire, channelName);
  }
  void onSubscribeResult(uint64_t requestId, const char* channelName, int errorCode) override {
    emit(events::onSubscribeResult, requestId, channelName, errorCode);
  }
  void onUnsubscribeResult(uint64_t requestId, const char* channelName, int errorCode) override {
    emit(events::onUnsubscribeResult, requestId, channelName, errorCode);
  }
  void onPublishResult(uint64_t requestId, int errorCode) override {
    emit(events::onPublishResult, requestId, errorCode);
  }
  void onLoginResult(uint64_t requestId, int errorCode) override {
    emit(events::onLoginResult, requestId, errorCode);
  }
  void onLogoutResult(uint64_t requestId, int errorCode) override {
    emit(events::onLogoutResult, requestId, errorCode);
  }
  void onRenewTokenResult(uint64_t requestId, int serverType, const char* channelName,
                          int errorCode) override {
    emit(events::onRenewTokenResult, requestId, serverType, channelName, errorCode);
  }
  void onSetChannelMetadataResult(uint64_t requestId, const char* channelName, int channelType,
                                  int errorCode) override {
    emit(events::onSetChannelMetadataResult, requestId, channelName, channelType, errorCode);
  }
  void onUpdateChannelMetadataResult(uint64_t requestId, const char* channelName, int channelType,
                                     int errorCode) override {
    emit(events::onUpdateChannelMetadataResult, requestId, channelName, channelType, errorCode);
  }
  void onRemoveChannelMetadataResult(uint64_t requestId, const char* channelName, int channelType,
                                     int errorCode) override {
    emit(events::onRemoveChannelMetadataResult, requestId, channelName, channelType, errorCode);
  }
  void onGetChannelMetadataResult(uint64_t requestId, const char* channelName, int channelType,
                                  const sdk::Metadata& data, int errorCode) override {
    emit(events::onGetChannelMetadataResult, requestId, channelName, channelType, data, errorCode);
  }
  void onSetUserMetadataResult(uint64_t requestId, const char* userId, int errorCode) override {
    emit(events::onSetUserMetadataResult, requestId, userId, errorCode);
  }
  void onUpdateUserMetadataResult(uint64_t requestId, const char* userId, int errorCode) override {
    emit(events::onUpdateUserMetadataResult, requestId, userId, errorCode);
  }
  void onRemoveUserMetadataResult(uint64_t requestId, const char* userId, int errorCode) override {
    emit(events::onRemoveUserMetadataResult, requestId, userId, errorCode);
  }
  void onGetUserMetadataResult(uint64_t requestId, const char* userId, const sdk::Metadata& data,
                               int errorCode) override {
    emit(events::onGetUserMetadataResult, requestId, userId, data, errorCode);
  }
  void onSubscribeUserMetadataResult(uint64_t requestId, const char* userId,
                                     int errorCode) override {
    emit(events::onSubscribeUserMetadataResult, requestId, userId, errorCode);
  }
  void onUnsubscribeUserMetadataResult(uint64_t requestId, const char* userId,
                                       int errorCode) override {
    emit(events::onUnsubscribeUserMetadataResult, requestId, userId, errorCode);
  }
  void onSetLockResult(uint64_t requestId, const char* channelName, int channelType,
                       const char* lockName, int errorCode) override {
    emit(events::onSetLockResult, requestId, channelName, channelType, lockName, errorCode);
  }
  void onRemoveLockResult(uint64_t requestId, const char* channelName, int channelType,
                          const char* lockName, int errorCode) override {
    emit(events::onRemoveLockResult, requestId, channelName, channelType, lockName, errorCode);
  }
  void onReleaseLockResult(uint64_t requestId, const char* channelName, int channelType,
                           const char* lockName, int errorCode) override {
    emit(events::onReleaseLockResult, requestId, channelName, channelType, lockName, errorCode);
  }
  void onAcquireLockResult(uint64_t requestId, const char* channelName, int channelType,
                           const char* lockName, int errorCode, const char* errorDetails) override {
    emit(events::onAcquireLockResult, requestId, channelName, channelType, lockName, errorCode,
         errorDetails);
  }
  void onRevokeLockResult(uint64_t requestId, const char* channelName, int channelType,
                          const char* lockName, int errorCode) override {
    emit(events::onRevokeLockResult, requestId, channelName, channelType, lockName, errorCode);
  }
  void onPresenceSetStateResult(uint64_t requestId, int errorCode) override {
    emit(events::onPresenceSetStateResult, requestId, errorCode);
  }
  void onPresenceRemoveStateResult(uint64_t requestId, int errorCode) override {
    emit(events::onPresenceRemoveStateResult, requestId, errorCode);
  }
  void onPresenceGetStateResult(uint64_t requestId, const sdk::UserState& state,
                                int errorCode) override {
    emit(events::onPresenceGetStateResult, requestId, state, errorCode);
  }

  // Called with every finished event body just before it is serialised; a
  // derived bridge may add or change keys of every event.
  virtual void beforeSendEvent(json& event);

 protected:
  // Builds the event of row from a callback's arguments, serialises it once
  // and delivers it. Runs on the SDK's thread: nothing escapes.
  template <class Row, class... Args>
  void emit(const Row& row, const Args&... args) noexcept {
    try {
      json body = json::object();
      EventBuffers buffers;
      row.build(body, buffers, args...);
      send(row.eventName, body, buffers);
    } catch (...) {
      reportFailure(row.eventName);
    }
  }

 private:
  void send(const char* eventName, json& body, const EventBuffers& buffers);
  // Logs the exception being handled.
  static void reportFailure(const char* eventName) noexcept;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
