// The words of the API description: one line per API name, key, event and
// enumeration value, the closed sets of numbers some keys take, and the
// values a binding sends for keys its callers may leave out. The bindings'
// documentation and docs/api-reference.md are generated from these lines;
// api_description fails when one is missing or names nothing.
#pragma once

#include <vector>

#include "loopback_sdk/sdk_constants.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace describe {

struct TextLine {
  const char* name;
  const char* text;
};

// By API name.
inline const std::vector<TextLine> kApiTexts = {
    {"KivClient_create",
     "Creates the engine's SDK client from a configuration; the call's buffer is the event sink."},
    {"KivClient_release", "Releases the SDK client; the engine stays and may create another."},
    {"KivClient_login_1fa04dd", "Logs the client in with a token."},
    {"KivClient_logout_90386a9", "Logs the client out."},
    {"KivClient_renewToken_1fa04dd", "Replaces the client's token."},
    {"KivClient_publish_2d36e93", "Publishes the call's buffer as a message to a channel."},
    {"KivClient_subscribe_3fae92d", "Subscribes the client to a message channel."},
    {"KivClient_unsubscribe_1fa04dd", "Leaves a message channel."},
    {"KivClient_setParameters_3a2037f", "Passes settings to the SDK as JSON text."},
    {"KivClient_setAppType", "Tells the SDK the host application's type."},
    {"KivClient_setLogFile", "Moves the library's log file to a path."},
    {"KivClient_setLogLevel", "Sets the lowest level of the library's log lines."},
    {"KivClient_setLogFileSize", "Sets the size in KiB at which a log file rolls over."},
    {"KivClient_getStorage",
     "Answered by the library with code 4 and no result: storage calls need no handle."},
    {"KivClient_getLock",
     "Answered by the library with code 4 and no result: lock calls need no handle."},
    {"KivClient_getPresence",
     "Answered by the library with code 4 and no result: presence calls need no handle."},
    {"KivClient_createStreamChannel_ae3d0cf",
     "Creates a stream channel object, which the stream-channel calls then name; the "
     "stream-channel module answers it."},
    {"StreamChannel_join_2090a6b", "Joins the stream channel."},
    {"StreamChannel_leave_90386a9", "Leaves the stream channel."},
    {"StreamChannel_getChannelName", "Answers the stream channel's name."},
    {"StreamChannel_joinTopic_ff0ec3f", "Joins a topic of the stream channel as a publisher."},
    {"StreamChannel_leaveTopic_1fa04dd", "Stops publishing in a topic."},
    {"StreamChannel_publishTopicMessage_a31773e",
     "Publishes the call's buffer as a message in a topic."},
    {"StreamChannel_subscribeTopic_b801234", "Subscribes to publishers of a topic."},
    {"StreamChannel_unsubscribeTopic_b801234", "Unsubscribes from publishers of a topic."},
    {"StreamChannel_getSubscribedUserList_1fa04dd",
     "Lists the publishers of a topic the client subscribed to."},
    {"StreamChannel_renewToken_1fa04dd", "Replaces the stream channel's token."},
    {"StreamChannel_setParameters_3a2037f", "Passes settings for the stream channel as JSON text."},
    {"StreamChannel_release", "Releases the stream channel object."},
    {"KivStorage_setChannelMetadata_55e6d00", "Sets items of a channel's metadata."},
    {"KivStorage_updateChannelMetadata_55e6d00", "Updates items of a channel's metadata."},
    {"KivStorage_removeChannelMetadata_55e6d00", "Removes items of a channel's metadata."},
    {"KivStorage_getChannelMetadata_ad8568b", "Reads a channel's metadata."},
    {"KivStorage_setUserMetadata_24ae125", "Sets items of a user's metadata."},
    {"KivStorage_updateUserMetadata_24ae125", "Updates items of a user's metadata."},
    {"KivStorage_removeUserMetadata_24ae125", "Removes items of a user's metadata."},
    {"KivStorage_getUserMetadata_1fa04dd", "Reads a user's metadata."},
    {"KivStorage_subscribeUserMetadata_1fa04dd", "Subscribes to changes of a user's metadata."},
    {"KivStorage_unsubscribeUserMetadata_1fa04dd", "Ends the subscription to a user's metadata."},
    {"KivLock_setLock_89e5672", "Creates a lock in a channel, with its time to live."},
    {"KivLock_getLocks_ad8568b", "Lists the locks of a channel."},
    {"KivLock_removeLock_4ffa44d", "Removes a lock from a channel."},
    {"KivLock_acquireLock_cd2dbc2", "Acquires a lock; with retry, waits while another holds it."},
    {"KivLock_releaseLock_4ffa44d", "Releases a lock the client holds."},
    {"KivLock_revokeLock_fc4a9d7", "Takes a lock away from the user holding it."},
    {"KivPresence_whoNow_f7f61d1", "Lists the users present in a channel."},
    {"KivPresence_whereNow_1fa04dd", "Lists the channels where a user is present."},
    {"KivPresence_setState_b73723a", "Sets items of the client's presence state in a channel."},
    {"KivPresence_removeState_d7033d8",
     "Removes keys of the client's presence state in a channel."},
    {"KivPresence_getState_4ffa44d", "Reads a user's presence state in a channel."},
    {"KivPresence_getOnlineUsers_ce2d8e8", "Lists the users present in a channel, page by page."},
    {"KivPresence_getUserChannels_1fa04dd", "Lists the channels where a user is present."},
    {"KivHistory_getMessages_e5877fc", "Reads the stored messages of a channel."},
};

// By key name, shared wherever the key means the same; "scope.key" (an API
// name, an event's callback name or a record name) where it means something
// of its own there. Record fields without a line go without.
inline const std::vector<TextLine> kKeyTexts = {
    {"appType", "The host application's type, as the SDK numbers it."},
    {"channelName", "The channel's name."},
    {"channelType", "The channel's type."},
    {"channels", "The channels, each with its name and type."},
    {"config", "The client's configuration; a field left out keeps its default."},
    {"count", "The number of elements in the list beside it."},
    {"data", "The metadata: its major revision and items."},
    {"errorCode", "0 on success, else the SDK's error code."},
    {"errorDetails", "The SDK's words about a failure."},
    {"event", "The SDK's event record."},
    {"failedUsers", "The users the subscription failed for."},
    {"filePath", "The log file's path."},
    {"fileSizeInKBytes", "The size of a log file in KiB at which it rolls over."},
    {"items", "The state items to set, each a key and a value."},
    {"keys", "The state keys to remove."},
    {"length", "The payload's length in bytes."},
    {"level", "The lowest level written."},
    {"lockDetailList", "The locks, each with its name, owner and time to live."},
    {"lockName", "The lock's name."},
    {"KivStorage_setChannelMetadata_55e6d00.lockName",
     "A lock the client must hold for the write; empty for none."},
    {"KivStorage_updateChannelMetadata_55e6d00.lockName",
     "A lock the client must hold for the write; empty for none."},
    {"KivStorage_removeChannelMetadata_55e6d00.lockName",
     "A lock the client must hold for the write; empty for none."},
    {"message", "The payload's address; the engine fills it from the call's buffer."},
    {"messageList", "The stored messages; each one's payload travels in a buffer of its own."},
    {"meta", "The publisher's text for the topic."},
    {"newStart", "Where a further read of the history continues."},
    {"nextPage", "The page to ask for next; empty after the last."},
    {"option", "The message's options; a field left out keeps its default."},
    {"options", "The call's options; a field left out keeps its default."},
    {"owner", "The user holding the lock."},
    {"parameters", "The settings as JSON text."},
    {"onConnectionStateChanged.reason", "Why the state changed."},
    {"requestId", "The number the call answered; its outcome event carries the same."},
    {"retry", "Whether to wait for the lock while another user holds it."},
    {"serverType", "The service whose token was renewed."},
    {"onConnectionStateChanged.state", "The connection's new state."},
    {"onPresenceGetStateResult.state", "The user's presence state."},
    {"succeedUsers", "The users the subscription succeeded for."},
    {"token", "The token."},
    {"topic", "The topic's name."},
    {"ttl", "The lock's time to live in seconds."},
    {"userId", "The user's id."},
    {"userStateList", "The users, each with their state items."},
    {"users", "The users."},
    // Record fields whose meaning the name does not say.
    {"publisher", "The user who sent it."},
    {"customType", "A type text the publisher chose."},
    {"messageType", "The message's type, as the SDK numbers it."},
    {"timestamp", "When it happened, in milliseconds since 1970."},
    {"currentState", "The link's state now."},
    {"previousState", "The link's state before."},
    {"operation", "What changed the link's state."},
    {"reasonCode", "Why the link changed state, as a number."},
    {"LinkStateEvent.reason", "Why the link changed state, in words."},
    {"serviceType", "The service whose link it is."},
    {"storageType", "Whether a user's or a channel's metadata changed."},
    {"eventType", "What happened."},
    {"type", "What happened."},
    {"isResumed", "Whether the session was resumed without losing state."},
    {"affectedChannels", "The channels the change concerns."},
    {"unrestoredChannels", "The channels the client could not return to."},
    {"storeInHistory", "Whether the service keeps the message for history reads."},
};

// By the event's callback name.
inline const std::vector<TextLine> kEventTexts = {
    {"onLinkStateEvent", "The client's link to the service changed state."},
    {"onMessageEvent", "A message arrived; its payload is the event's buffer."},
    {"onPresenceEvent", "Users came, went or changed their state in a channel."},
    {"onTopicEvent", "Publishers joined or left topics of a stream channel."},
    {"onLockEvent", "Locks of a channel changed."},
    {"onStorageEvent", "Metadata of a channel or a user changed."},
    {"onTokenEvent", "Something happened to the client's token."},
    {"onJoinResult", "The outcome of joining a stream channel."},
    {"onLeaveResult", "The outcome of leaving a stream channel."},
    {"onPublishTopicMessageResult", "The outcome of publishing a message in a topic."},
    {"onJoinTopicResult", "The outcome of joining a topic."},
    {"onLeaveTopicResult", "The outcome of leaving a topic."},
    {"onSubscribeTopicResult", "The outcome of subscribing to a topic's publishers."},
    {"onUnsubscribeTopicResult", "The outcome of unsubscribing from a topic's publishers."},
    {"onGetSubscribedUserListResult", "The publishers of a topic the client subscribed to."},
    {"onConnectionStateChanged", "The connection of the client or a stream channel changed."},
    {"onTokenPrivilegeWillExpire", "The token of the client or a stream channel expires soon."},
    {"onSubscribeResult", "The outcome of subscribing to a message channel."},
    {"onUnsubscribeResult", "The outcome of leaving a message channel."},
    {"onPublishResult", "The outcome of publishing a message."},
    {"onLoginResult", "The outcome of the login."},
    {"onLogoutResult", "The outcome of the logout."},
    {"onRenewTokenResult", "The outcome of renewing a token."},
    {"onSetChannelMetadataResult", "The outcome of setting a channel's metadata."},
    {"onUpdateChannelMetadataResult", "The outcome of updating a channel's metadata."},
    {"onRemoveChannelMetadataResult", "The outcome of removing a channel's metadata."},
    {"onGetChannelMetadataResult", "A channel's metadata, as read."},
    {"onSetUserMetadataResult", "The outcome of setting a user's metadata."},
    {"onUpdateUserMetadataResult", "The outcome of updating a user's metadata."},
    {"onRemoveUserMetadataResult", "The outcome of removing a user's metadata."},
    {"onGetUserMetadataResult", "A user's metadata, as read."},
    {"onSubscribeUserMetadataResult", "The outcome of subscribing to a user's metadata."},
    {"onUnsubscribeUserMetadataResult", "The outcome of ending a metadata subscription."},
    {"onSetLockResult", "The outcome of creating a lock."},
    {"onRemoveLockResult", "The outcome of removing a lock."},
    {"onReleaseLockResult", "The outcome of releasing a lock."},
    {"onAcquireLockResult", "The outcome of acquiring a lock."},
    {"onRevokeLockResult", "The outcome of revoking a lock."},
    {"onGetLocksResult", "The locks of a channel."},
    {"onWhoNowResult", "The users present in a channel."},
    {"onGetOnlineUsersResult", "A page of the users present in a channel."},
    {"onWhereNowResult", "The channels where a user is present."},
    {"onGetUserChannelsResult", "The channels where a user is present."},
    {"onPresenceSetStateResult", "The outcome of setting presence state."},
    {"onPresenceRemoveStateResult", "The outcome of removing presence state."},
    {"onPresenceGetStateResult", "A user's presence state, as read."},
    {"onGetHistoryMessagesResult", "Stored messages; each payload is a buffer of the event."},
};

struct EnumValue {
  const char* name;
  int value;
  const char* text;
};

// A closed set of numbers, and the keys that take it ("key", or "scope.key"
// as for the lines above). The real SDK's numbers are its own: the library
// passes every number through, so a binding's type accepts any other number.
// The values known here are the stand-in's, taken from its own constants.
struct Enumeration {
  const char* name;
  const char* text;
  const char* valuesFrom;
  std::vector<EnumValue> values;
  std::vector<const char*> uses;
};

constexpr const char* kStandIn = "the loopback SDK";
constexpr const char* kLibrary = "the library";

inline const std::vector<Enumeration>& enumerations() {
  static const std::vector<Enumeration> list = {
      {"ChannelType",
       "The type of a channel.",
       kStandIn,
       {{"None", loopback::kChannelNone, "No channel type."},
        {"Message", loopback::kChannelMessage, "A message channel."},
        {"Stream", loopback::kChannelStream, "A stream channel."},
        {"User", loopback::kChannelUser, "A user's channel; user metadata events carry it."}},
       {"channelType"}},
      {"PresenceEventType",
       "What a presence event reports.",
       kStandIn,
       {{"Snapshot", loopback::kPresenceSnapshot, "Every visible user, sent to a newcomer."},
        {"Interval", loopback::kPresenceInterval,
         "Who came, went or changed state since the last event."}},
       {"PresenceEvent.type"}},
      {"TopicEventType",
       "What a topic event reports.",
       kStandIn,
       {{"Snapshot", loopback::kTopicSnapshot, "Every topic's publishers, sent after joining."},
        {"RemoteJoin", loopback::kTopicRemoteJoin, "Another user started publishing in a topic."},
        {"RemoteLeave", loopback::kTopicRemoteLeave,
         "Another user stopped publishing in a topic."}},
       {"TopicEvent.type"}},
      {"LockEventType",
       "What happened to the locks of a lock event.",
       kStandIn,
       {{"Snapshot", loopback::kLockSnapshot, "Every lock of the channel."},
        {"Set", loopback::kLockSet, "A lock was created."},
        {"Removed", loopback::kLockRemoved, "A lock was removed."},
        {"Acquired", loopback::kLockAcquired, "A lock was acquired."},
        {"Released", loopback::kLockReleased, "A lock was released."},
        {"Expired", loopback::kLockExpired, "A lock's time to live ran out."}},
       {"LockEvent.eventType"}},
      {"StorageType",
       "Whose metadata a storage event concerns.",
       kStandIn,
       {{"User", loopback::kStorageUser, "A user's metadata."},
        {"Channel", loopback::kStorageChannel, "A channel's metadata."}},
       {"storageType"}},
      {"StorageEventType",
       "What happened to the metadata of a storage event.",
       kStandIn,
       {{"Snapshot", loopback::kStorageSnapshot, "The whole metadata."},
        {"Set", loopback::kStorageSet, "Items were set."},
        {"Update", loopback::kStorageUpdate, "Items were updated."},
        {"Remove", loopback::kStorageRemove, "Items were removed."}},
       {"StorageEvent.eventType"}},
      {"LinkState",
       "The state of the client's link to the service.",
       kStandIn,
       {{"Idle", loopback::kLinkIdle, "Not logged in."},
        {"Connecting", loopback::kLinkConnecting, "Logging in."},
        {"Connected", loopback::kLinkConnected, "Logged in and connected."},
        {"Disconnected", loopback::kLinkDisconnected, "The connection dropped."}},
       {"currentState", "previousState"}},
      {"LinkOperation",
       "What changed the state of the link.",
       kStandIn,
       {{"Login", loopback::kLinkOpLogin, "A login."},
        {"Logout", loopback::kLinkOpLogout, "A logout."},
        {"ConnectionDropped", loopback::kLinkOpConnectionDropped, "The connection dropped."},
        {"Reconnected", loopback::kLinkOpReconnected, "The connection came back."}},
       {"operation", "reasonCode"}},
      {"LinkServiceType",
       "The service a link-state event concerns.",
       kStandIn,
       {{"Message", loopback::kLinkServiceMessage, "The message service."}},
       {"LinkStateEvent.serviceType"}},
      {"ConnectionState",
       "The state of a connection, as onConnectionStateChanged reports it.",
       kStandIn,
       {{"Disconnected", loopback::kConnectionDisconnected, "Not connected."},
        {"Connecting", loopback::kConnectionConnecting, "Connecting."},
        {"Connected", loopback::kConnectionConnected, "Connected."},
        {"Reconnecting", loopback::kConnectionReconnecting,
         "The connection dropped; the client tries again."}},
       {"onConnectionStateChanged.state"}},
      {"ConnectionStateReason",
       "Why a connection changed its state.",
       kStandIn,
       {{"LoginSucceeded", loopback::kReasonLoginSuccess, "The login succeeded."},
        {"Interrupted", loopback::kReasonInterrupted, "The connection was interrupted."},
        {"Logout", loopback::kReasonLogout, "The client logged out."},
        {"Reconnected", loopback::kReasonReconnected, "The connection came back."}},
       {"onConnectionStateChanged.reason"}},
      {"TokenEventType",
       "What a token event reports.",
       kStandIn,
       {{"WillExpire", loopback::kTokenWillExpire, "The token expires soon."}},
       {"TokenEvent.eventType"}},
      {"ServerType",
       "The service whose token a renewal concerned.",
       kStandIn,
       {{"Message", loopback::kServerMessage, "The client's message service."},
        {"Stream", loopback::kServerStream, "A stream channel's service."}},
       {"serverType"}},
      {"KivLogLevel",
       "The levels of the library's log; any other number writes information and above.",
       kLibrary,
       {{"None", 0, "Nothing is written, neither file nor standard output."},
        {"Info", 1, "Information and above: calls with their parameters and results."},
        {"Warn", 2, "Warnings and above."},
        {"Error", 4, "Errors and above."},
        {"Fatal", 8, "Critical errors only."}},
       {"KivClient_setLogLevel.level", "LogConfig.level"}},
  };
  return list;
}

// Keys the library needs on every call but a binding's caller may leave out:
// the binding then sends this JSON value.
inline const std::vector<TextLine> kBindingDefaults = {
    {"KivLock_acquireLock_cd2dbc2.retry", "false"},
    {"KivStorage_setChannelMetadata_55e6d00.lockName", "\"\""},
    {"KivStorage_updateChannelMetadata_55e6d00.lockName", "\"\""},
    {"KivStorage_removeChannelMetadata_55e6d00.lockName", "\"\""},
};

// Every table above, as the description tool reads them.
struct ApiTexts {
  const std::vector<TextLine>& apis;
  const std::vector<TextLine>& keys;
  const std::vector<TextLine>& events;
  const std::vector<Enumeration>& enumerations;
  const std::vector<TextLine>& bindingDefaults;
};

inline ApiTexts standardTexts() {
  return {kApiTexts, kKeyTexts, kEventTexts, enumerations(), kBindingDefaults};
}

}  // namespace describe
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
