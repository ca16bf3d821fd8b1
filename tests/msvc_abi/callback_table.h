// The 47 SDK callbacks, each called once with fixed, distinctive arguments:
// entry i calls the callback of vtable slot i + 1. The MSVC-ABI stand-in SDK
// runs it against the library's bridge on its own thread, and the Linux event
// tests run it against the bridge directly; both must yield exactly the
// events of expected_events.txt. Plain C++ with no library: it is compiled
// without a C++ runtime in MSVC's ABI too.
#pragma once

#include "velmo_kiv_sdk/kiv_event_handler.h"

namespace velmo_msvc_abi {

namespace sdk = ::velmo::kiv;

constexpr int kCallbackCount = 47;

// Above 2^63: a request id cut to 32 bits, or read as signed, shows.
constexpr uint64_t kRequest = 0xA000000000000000ull;
constexpr uint64_t kTime = 1700000000000ull;

// Payloads hold a NUL and bytes above 127, as binary messages do.
inline constexpr char kMessagePayload[] = "msg\0\xfe-bytes";
inline constexpr char kHistoryPayloadA[] = "first\0\x01";
inline constexpr char kHistoryPayloadB[] = "\xff\xfe second";

// Not const: the SDK's records hold "const char**".
inline const char* kUsers[] = {"ann", "b\xc3\xb8", "cy \"q\" \\"};

inline constexpr sdk::StateItem kStates[] = {{"mood", "busy"}, {"mode", "away"}};
inline constexpr sdk::UserState kUserStates[] = {{"ann", kStates, 2}, {"bo", nullptr, 0}};
inline constexpr sdk::LockDetail kLocks[] = {{"lock-a", "ann", 30},
                                             {"lock-b", nullptr, 4000000000u}};
inline constexpr sdk::MetadataItem kItems[] = {{"color", "red", "ann", 7, 1700000000100},
                                               {"size", "", nullptr, -1, -2}};
inline constexpr sdk::PublisherInfo kPublishers[] = {{"ann", "meta-a"}, {"bo", nullptr}};
inline constexpr sdk::TopicInfo kTopicInfos[] = {{"topic-4", kPublishers, 2}};
inline constexpr sdk::ChannelInfo kChannelInfos[] = {{"ch-a", 1}, {"ch-b", 2}};
inline constexpr sdk::HistoryMessage kHistory[] = {
    {1, "ann", kHistoryPayloadA, sizeof kHistoryPayloadA - 1, "h-type", kTime + 470},
    {2, nullptr, kHistoryPayloadB, sizeof kHistoryPayloadB - 1, nullptr, kTime + 471}};

using RaiseCallback = void (*)(sdk::IKivEventHandler& handler);

inline constexpr RaiseCallback kCallbacks[kCallbackCount] = {
    [](sdk::IKivEventHandler& h) {
      sdk::LinkStateEvent e;
      e.currentState = 3, e.previousState = 2, e.serviceType = 1, e.operation = 4;
      e.reasonCode = 21, e.reason = "link \"lost\"";
      e.affectedChannels = kUsers, e.affectedChannelCount = 2;
      e.unrestoredChannels = kUsers + 2, e.unrestoredChannelCount = 1;
      e.isResumed = true, e.timestamp = kTime + 1;
      h.onLinkStateEvent(e);
    },
    [](sdk::IKivEventHandler& h) {
      sdk::MessageEvent e;
      e.channelType = 1, e.messageType = 2, e.channelName = "chat-\xc3\xbc";
      e.channelTopic = "topic-2", e.message = kMessagePayload;
      e.messageLength = sizeof kMessagePayload - 1, e.publisher = "ann";
      e.customType = "custom-2", e.timestamp = kTime + 2;
      h.onMessageEvent(e);
    },
    [](sdk::IKivEventHandler& h) {
      sdk::PresenceEvent e;
      e.type = 5, e.channelType = 1, e.channelName = "ch-3", e.publisher = "bo";
      e.stateItems = kStates, e.stateItemCount = 1;
      e.interval.joinUserList = {kUsers, 2}, e.interval.leaveUserList = {kUsers + 1, 1};
      e.interval.userStateList = kUserStates, e.interval.userStateCount = 1;
      e.snapshot.userStateList = kUserStates, e.snapshot.userCount = 2;
      e.timestamp = kTime + 3;
      h.onPresenceEvent(e);
    },
    [](sdk::IKivEventHandler& h) {
      sdk::TopicEvent e;
      e.type = 2, e.channelName = "ch-4", e.publisher = "ann";
      e.topicInfos = kTopicInfos, e.topicInfoCount = 1, e.timestamp = kTime + 4;
      h.onTopicEvent(e);
    },
    [](sdk::IKivEventHandler& h) {
      sdk::LockEvent e;
      e.channelType = 1, e.eventType = 3, e.channelName = "ch-5";
      e.lockDetailList = kLocks, e.count = 2, e.timestamp = kTime + 5;
      h.onLockEvent(e);
    },
    [](sdk::IKivEventHandler& h) {
      sdk::StorageEvent e;
      e.channelType = 2, e.storageType = 1, e.eventType = 4, e.target = "target-6";
      e.data.majorRevision = 66, e.data.items = kItems, e.data.itemCount = 2;
      e.timestamp = kTime + 6;
      h.onStorageEvent(e);
    },
    [](sdk::IKivEventHandler& h) {
      sdk::TokenEvent e;
      e.eventType = 1, e.reason = "token-7";
      e.affectedResources.messageChannels = {kUsers + 1, 2}, e.timestamp = kTime + 7;
      h.onTokenEvent(e);
    },
    [](sdk::IKivEventHandler& h) { h.onJoinResult(kRequest + 8, "ch-8", "user-8", -108); },
    [](sdk::IKivEventHandler& h) { h.onLeaveResult(kRequest + 9, "ch-9", "user-9", -109); },
    [](sdk::IKivEventHandler& h) {
      h.onPublishTopicMessageResult(kRequest + 10, "ch-10", "topic-10", -110);
    },
    [](sdk::IKivEventHandler& h) {
      h.onJoinTopicResult(kRequest + 11, "ch-11", "user-11", "topic-11", "meta-11", -111);
    },
    [](sdk::IKivEventHandler& h) {
      h.onLeaveTopicResult(kRequest + 12, "ch-12", "user-12", "topic-12", nullptr, -112);
    },
    [](sdk::IKivEventHandler& h) {
      h.onSubscribeTopicResult(kRequest + 13, "ch-13", "user-13", "topic-13", {kUsers, 3},
                               {kUsers + 1, 1}, -113);
    },
    [](sdk::IKivEventHandler& h) {
      h.onUnsubscribeTopicResult(kRequest + 14, "ch-14", "topic-14", -114);
    },
    [](sdk::IKivEventHandler& h) {
      h.onGetSubscribedUserListResult(kRequest + 15, "ch-15", "topic-15", {kUsers + 1, 2}, -115);
    },
    [](sdk::IKivEventHandler& h) { h.onConnectionStateChanged("ch-16", 4, 16); },
    [](sdk::IKivEventHandler& h) { h.onTokenPrivilegeWillExpire("ch-17"); },
    [](sdk::IKivEventHandler& h) { h.onSubscribeResult(kRequest + 18, "ch-18", -118); },
    [](sdk::IKivEventHandler& h) { h.onUnsubscribeResult(kRequest + 19, "ch-19", -119); },
    [](sdk::IKivEventHandler& h) { h.onPublishResult(kRequest + 20, -120); },
    [](sdk::IKivEventHandler& h) { h.onLoginResult(kRequest + 21, 0); },
    [](sdk::IKivEventHandler& h) { h.onLogoutResult(kRequest + 22, -122); },
    [](sdk::IKivEventHandler& h) { h.onRenewTokenResult(kRequest + 23, 2, "ch-23", -123); },
    [](sdk::IKivEventHandler& h) { h.onSetChannelMetadataResult(kRequest + 24, "ch-24", 1, -124); },
    [](sdk::IKivEventHandler& h) {
      h.onUpdateChannelMetadataResult(kRequest + 25, "ch-25", 2, -125);
    },
    [](sdk::IKivEventHandler& h) {
      h.onRemoveChannelMetadataResult(kRequest + 26, "ch-26", 1, -126);
    },
    [](sdk::IKivEventHandler& h) {
      sdk::Metadata data;
      data.majorRevision = 27, data.items = kItems, data.itemCount = 2;
      h.onGetChannelMetadataResult(kRequest + 27, "ch-27", 2, data, -127);
    },
    [](sdk::IKivEventHandler& h) { h.onSetUserMetadataResult(kRequest + 28, "user-28", -128); },
    [](sdk::IKivEventHandler& h) { h.onUpdateUserMetadataResult(kRequest + 29, "user-29", -129); },
    [](sdk::IKivEventHandler& h) { h.onRemoveUserMetadataResult(kRequest + 30, "user-30", -130); },
    [](sdk::IKivEventHandler& h) {
      sdk::Metadata data;
      data.majorRevision = 31, data.items = kItems + 1, data.itemCount = 1;
      h.onGetUserMetadataResult(kRequest + 31, "user-31", data, -131);
    },
    [](sdk::IKivEventHandler& h) {
      h.onSubscribeUserMetadataResult(kRequest + 32, "user-32", -132);
    },
    [](sdk::IKivEventHandler& h) {
      h.onUnsubscribeUserMetadataResult(kRequest + 33, nullptr, -133);
    },
    [](sdk::IKivEventHandler& h) { h.onSetLockResult(kRequest + 34, "ch-34", 1, "lock-34", -134); },
    [](sdk::IKivEventHandler& h) {
      h.onRemoveLockResult(kRequest + 35, "ch-35", 2, "lock-35", -135);
    },
    [](sdk::IKivEventHandler& h) {
      h.onReleaseLockResult(kRequest + 36, "ch-36", 1, "lock-36", -136);
    },
    [](sdk::IKivEventHandler& h) {
      h.onAcquireLockResult(kRequest + 37, "ch-37", 2, "lock-37", -137, "held by ann");
    },
    [](sdk::IKivEventHandler& h) {
      h.onRevokeLockResult(kRequest + 38, "ch-38", 1, "lock-38", -138);
    },
    [](sdk::IKivEventHandler& h) {
      h.onGetLocksResult(kRequest + 39, "ch-39", 2, kLocks, 2, -139);
    },
    [](sdk::IKivEventHandler& h) {
      h.onWhoNowResult(kRequest + 40, kUserStates, 2, "page-40", -140);
    },
    [](sdk::IKivEventHandler& h) {
      h.onGetOnlineUsersResult(kRequest + 41, kUserStates + 1, 1, nullptr, -141);
    },
    [](sdk::IKivEventHandler& h) { h.onWhereNowResult(kRequest + 42, kChannelInfos, 2, -142); },
    [](sdk::IKivEventHandler& h) { h.onGetUserChannelsResult(kRequest + 43, nullptr, 0, -143); },
    [](sdk::IKivEventHandler& h) { h.onPresenceSetStateResult(kRequest + 44, -144); },
    [](sdk::IKivEventHandler& h) { h.onPresenceRemoveStateResult(kRequest + 45, -145); },
    [](sdk::IKivEventHandler& h) {
      h.onPresenceGetStateResult(kRequest + 46, kUserStates[0], -146);
    },
    [](sdk::IKivEventHandler& h) {
      h.onGetHistoryMessagesResult(kRequest + 47, kHistory, 2, 0x8000000000000000ull + 47, -147);
    },
};

}  // namespace velmo_msvc_abi
