// Every event that the bridge delivers, in the slot order of the SDK's
// callback interface: the callback, the event name, and the body keys made
// from the callback's arguments in argument order. The names and keys are
// the protocol with the host's binding and are matched as exact strings.
#pragma once

#include <vector>

#include "src/kiv/src/event/kiv_event_keys.h"

// ROW(callback, event name, key kinds...) once per SDK callback, slots 1 to 47.
#define KIV_EVENT_ROWS(ROW)                                                                        \
  ROW(onLinkStateEvent, "KivEventHandler_onLinkStateEvent_6d5317f",                                \
      object<sdk::LinkStateEvent>("event"))                                                        \
  ROW(onMessageEvent, "KivEventHandler_onMessageEvent_ce5f8f5",                                    \
      object<sdk::MessageEvent>("event"))                                                          \
  ROW(onPresenceEvent, "KivEventHandler_onPresenceEvent_32b5db1",                                  \
      object<sdk::PresenceEvent>("event"))                                                         \
  ROW(onTopicEvent, "KivEventHandler_onTopicEvent_b4e4bd7", object<sdk::TopicEvent>("event"))      \
  ROW(onLockEvent, "KivEventHandler_onLockEvent_5e7fbef", object<sdk::LockEvent>("event"))         \
  ROW(onStorageEvent, "KivEventHandler_onStorageEvent_4304228",                                    \
      object<sdk::StorageEvent>("event"))                                                          \
  ROW(onTokenEvent, "KivEventHandler_onTokenEvent_ec6a1f1", object<sdk::TokenEvent>("event"))      \
  ROW(onJoinResult, "KivEventHandler_onJoinResult_ce14e01", requestId(), text("channelName"),      \
      text("userId"), integer("errorCode"))                                                        \
  ROW(onLeaveResult, "KivEventHandler_onLeaveResult_ce14e01", requestId(), text("channelName"),    \
      text("userId"), integer("errorCode"))                                                        \
  ROW(onPublishTopicMessageResult, "KivEventHandler_onPublishTopicMessageResult_ce14e01",          \
      requestId(), text("channelName"), text("topic"), integer("errorCode"))                       \
  ROW(onJoinTopicResult, "KivEventHandler_onJoinTopicResult_bfd472e", requestId(),                 \
      text("channelName"), text("userId"), text("topic"), text("meta"), integer("errorCode"))      \
  ROW(onLeaveTopicResult, "KivEventHandler_onLeaveTopicResult_bfd472e", requestId(),               \
      text("channelName"), text("userId"), text("topic"), text("meta"), integer("errorCode"))      \
  ROW(onSubscribeTopicResult, "KivEventHandler_onSubscribeTopicResult_ae281ad", requestId(),       \
      text("channelName"), text("userId"), text("topic"), object<sdk::UserList>("succeedUsers"),   \
      object<sdk::UserList>("failedUsers"), integer("errorCode"))                                  \
  ROW(onUnsubscribeTopicResult, "KivEventHandler_onUnsubscribeTopicResult_ce14e01", requestId(),   \
      text("channelName"), text("topic"), integer("errorCode"))                                    \
  ROW(onGetSubscribedUserListResult, "KivEventHandler_onGetSubscribedUserListResult_79f7ec8",      \
      requestId(), text("channelName"), text("topic"), object<sdk::UserList>("users"),             \
      integer("errorCode"))                                                                        \
  ROW(onConnectionStateChanged, "KivEventHandler_onConnectionStateChanged_ac0fd53",                \
      text("channelName"), integer("state"), integer("reason"))                                    \
  ROW(onTokenPrivilegeWillExpire, "KivEventHandler_onTokenPrivilegeWillExpire_3a2037f",            \
      text("channelName"))                                                                         \
  ROW(onSubscribeResult, "KivEventHandler_onSubscribeResult_edf84fc", requestId(),                 \
      text("channelName"), integer("errorCode"))                                                   \
  ROW(onUnsubscribeResult, "KivEventHandler_onUnsubscribeResult_edf84fc", requestId(),             \
      text("channelName"), integer("errorCode"))                                                   \
  ROW(onPublishResult, "KivEventHandler_onPublishResult_4f46899", requestId(),                     \
      integer("errorCode"))                                                                        \
  ROW(onLoginResult, "KivEventHandler_onLoginResult_4f46899", requestId(), integer("errorCode"))   \
  ROW(onLogoutResult, "KivEventHandler_onLogoutResult_4f46899", requestId(), integer("errorCode")) \
  ROW(onRenewTokenResult, "KivEventHandler_onRenewTokenResult_e9203be", requestId(),               \
      integer("serverType"), text("channelName"), integer("errorCode"))                            \
  ROW(onSetChannelMetadataResult, "KivEventHandler_onSetChannelMetadataResult_7cb1a6e",            \
      requestId(), text("channelName"), integer("channelType"), integer("errorCode"))              \
  ROW(onUpdateChannelMetadataResult, "KivEventHandler_onUpdateChannelMetadataResult_7cb1a6e",      \
      requestId(), text("channelName"), integer("channelType"), integer("errorCode"))              \
  ROW(onRemoveChannelMetadataResult, "KivEventHandler_onRemoveChannelMetadataResult_7cb1a6e",      \
      requestId(), text("channelName"), integer("channelType"), integer("errorCode"))              \
  ROW(onGetChannelMetadataResult, "KivEventHandler_onGetChannelMetadataResult_d105bb5",            \
      requestId(), text("channelName"), integer("channelType"), object<sdk::Metadata>("data"),     \
      integer("errorCode"))                                                                        \
  ROW(onSetUserMetadataResult, "KivEventHandler_onSetUserMetadataResult_edf84fc", requestId(),     \
      text("userId"), integer("errorCode"))                                                        \
  ROW(onUpdateUserMetadataResult, "KivEventHandler_onUpdateUserMetadataResult_edf84fc",            \
      requestId(), text("userId"), integer("errorCode"))                                           \
  ROW(onRemoveUserMetadataResult, "KivEventHandler_onRemoveUserMetadataResult_edf84fc",            \
      requestId(), text("userId"), integer("errorCode"))                                           \
  ROW(onGetUserMetadataResult, "KivEventHandler_onGetUserMetadataResult_7065706", requestId(),     \
      text("userId"), object<sdk::Metadata>("data"), integer("errorCode"))                         \
  ROW(onSubscribeUserMetadataResult, "KivEventHandler_onSubscribeUserMetadataResult_edf84fc",      \
      requestId(), text("userId"), integer("errorCode"))                                           \
  ROW(onUnsubscribeUserMetadataResult, "KivEventHandler_onUnsubscribeUserMetadataResult_edf84fc",  \
      requestId(), text("userId"), integer("errorCode"))                                           \
  ROW(onSetLockResult, "KivEventHandler_onSetLockResult_01034fa", requestId(),                     \
      text("channelName"), integer("channelType"), text("lockName"), integer("errorCode"))         \
  ROW(onRemoveLockResult, "KivEventHandler_onRemoveLockResult_01034fa", requestId(),               \
      text("channelName"), integer("channelType"), text("lockName"), integer("errorCode"))         \
  ROW(onReleaseLockResult, "KivEventHandler_onReleaseLockResult_01034fa", requestId(),             \
      text("channelName"), integer("channelType"), text("lockName"), integer("errorCode"))         \
  ROW(onAcquireLockResult, "KivEventHandler_onAcquireLockResult_aad7ec0", requestId(),             \
      text("channelName"), integer("channelType"), text("lockName"), integer("errorCode"),         \
      text("errorDetails"))                                                                        \
  ROW(onRevokeLockResult, "KivEventHandler_onRevokeLockResult_01034fa", requestId(),               \
      text("channelName"), integer("channelType"), text("lockName"), integer("errorCode"))         \
  ROW(onGetLocksResult, "KivEventHandler_onGetLocksResult_6e98f5f", requestId(),                   \
      text("channelName"), integer("channelType"), list<sdk::LockDetail>("lockDetailList"),        \
      integer("errorCode"))                                                                        \
  ROW(onWhoNowResult, "KivEventHandler_onWhoNowResult_b070777", requestId(),                       \
      list<sdk::UserState>("userStateList"), text("nextPage"), integer("errorCode"))               \
  ROW(onGetOnlineUsersResult, "KivEventHandler_onGetOnlineUsersResult_b070777", requestId(),       \
      list<sdk::UserState>("userStateList"), text("nextPage"), integer("errorCode"))               \
  ROW(onWhereNowResult, "KivEventHandler_onWhereNowResult_ae64023", requestId(),                   \
      list<sdk::ChannelInfo>("channels"), integer("errorCode"))                                    \
  ROW(onGetUserChannelsResult, "KivEventHandler_onGetUserChannelsResult_ae64023", requestId(),     \
      list<sdk::ChannelInfo>("channels"), integer("errorCode"))                                    \
  ROW(onPresenceSetStateResult, "KivEventHandler_onPresenceSetStateResult_4f46899", requestId(),   \
      integer("errorCode"))                                                                        \
  ROW(onPresenceRemoveStateResult, "KivEventHandler_onPresenceRemoveStateResult_4f46899",          \
      requestId(), integer("errorCode"))                                                           \
  ROW(onPresenceGetStateResult, "KivEventHandler_onPresenceGetStateResult_3d764cc", requestId(),   \
      object<sdk::UserState>("state"), integer("errorCode"))                                       \
  ROW(onGetHistoryMessagesResult, "KivEventHandler_onGetHistoryMessagesResult_c5dd08c",            \
      requestId(), list<sdk::HistoryMessage>("messageList"), unsigned64(KIV_TWIN("newStart")),     \
      integer("errorCode"))

namespace velmo {
namespace quon {
namespace kiv {

// One constant per callback, named after it: events::onLoginResult.
namespace events {
using namespace event_keys;
#define KIV_DEFINE_EVENT(callback, eventName, ...)                                   \
  inline constexpr auto callback = describeEvent(#callback, eventName, __VA_ARGS__); \
  static_assert(matchesCallback(callback, &sdk::IKivEventHandler::callback),         \
                #callback ": the keys do not take the callback's arguments");
KIV_EVENT_ROWS(KIV_DEFINE_EVENT)
#undef KIV_DEFINE_EVENT
}  // namespace events

// The 47 events in slot order.
const std::vector<EventDescription>& kivEventCatalogue();

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
