// The catalogue row by row: each SDK callback, called through the SDK's
// interface, emits its event under the exact name with exactly its keys, each
// key holding the argument it was made from.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "event_test_support.h"
#include "src/kiv/src/event/KivEventHandler.h"
#include "src/kiv/src/event/kiv_event_catalogue.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace {

using testing_support::RecordedEvent;
using testing_support::RecordingSink;
using Keys = std::vector<std::string>;
using Handler = sdk::IKivEventHandler;

// Argument values: every string argument is its own key name, every integer
// argument has a value of its own, every list holds one element.
constexpr uint64_t kRequestId = 9223372036854775809ull;
constexpr uint64_t kNewStart = 18446744073709551614ull;
const std::map<std::string, int> kIntegers = {
    {"errorCode", -7}, {"channelType", 3}, {"state", 4}, {"reason", 5}, {"serverType", 6}};
int arg(const char* key) { return kIntegers.at(key); }

const sdk::LockDetail kLock[1] = {};
const sdk::UserState kUserState[1] = {};
const sdk::ChannelInfo kChannel[1] = {};
const sdk::HistoryMessage kHistory[1] = {};

struct CatalogueRow {
  int slot;
  const char* callback;
  const char* eventName;
  Keys keys;
  EventPayload payload;
  std::function<void(Handler&)> raise;
};

const Keys kRequest = {"requestId", "requestId_str"};
Keys withRequest(Keys rest) {
  Keys keys = kRequest;
  keys.insert(keys.end(), rest.begin(), rest.end());
  return keys;
}

const std::vector<CatalogueRow>& rows() {
  constexpr auto kNo = EventPayload::kNone;
  static const std::vector<CatalogueRow> table = {
      {1,
       "onLinkStateEvent",
       "KivEventHandler_onLinkStateEvent_6d5317f",
       {"event"},
       kNo,
       [](Handler& h) { h.onLinkStateEvent({}); }},
      {2,
       "onMessageEvent",
       "KivEventHandler_onMessageEvent_ce5f8f5",
       {"event"},
       EventPayload::kMessage,
       [](Handler& h) { h.onMessageEvent({}); }},
      {3,
       "onPresenceEvent",
       "KivEventHandler_onPresenceEvent_32b5db1",
       {"event"},
       kNo,
       [](Handler& h) { h.onPresenceEvent({}); }},
      {4,
       "onTopicEvent",
       "KivEventHandler_onTopicEvent_b4e4bd7",
       {"event"},
       kNo,
       [](Handler& h) { h.onTopicEvent({}); }},
      {5,
       "onLockEvent",
       "KivEventHandler_onLockEvent_5e7fbef",
       {"event"},
       kNo,
       [](Handler& h) { h.onLockEvent({}); }},
      {6,
       "onStorageEvent",
       "KivEventHandler_onStorageEvent_4304228",
       {"event"},
       kNo,
       [](Handler& h) { h.onStorageEvent({}); }},
      {7,
       "onTokenEvent",
       "KivEventHandler_onTokenEvent_ec6a1f1",
       {"event"},
       kNo,
       [](Handler& h) { h.onTokenEvent({}); }},
      {8, "onJoinResult", "KivEventHandler_onJoinResult_ce14e01",
       withRequest({"channelName", "userId", "errorCode"}), kNo,
       [](Handler& h) { h.onJoinResult(kRequestId, "channelName", "userId", arg("errorCode")); }},
      {9, "onLeaveResult", "KivEventHandler_onLeaveResult_ce14e01",
       withRequest({"channelName", "userId", "errorCode"}), kNo,
       [](Handler& h) { h.onLeaveResult(kRequestId, "channelName", "userId", arg("errorCode")); }},
      {10, "onPublishTopicMessageResult", "KivEventHandler_onPublishTopicMessageResult_ce14e01",
       withRequest({"channelName", "topic", "errorCode"}), kNo,
       [](Handler& h) {
         h.onPublishTopicMessageResult(kRequestId, "channelName", "topic", arg("errorCode"));
       }},
      {11, "onJoinTopicResult", "KivEventHandler_onJoinTopicResult_bfd472e",
       withRequest({"channelName", "userId", "topic", "meta", "errorCode"}), kNo,
       [](Handler& h) {
         h.onJoinTopicResult(kRequestId, "channelName", "userId", "topic", "meta",
                             arg("errorCode"));
       }},
      {12, "onLeaveTopicResult", "KivEventHandler_onLeaveTopicResult_bfd472e",
       withRequest({"channelName", "userId", "topic", "meta", "errorCode"}), kNo,
       [](Handler& h) {
         h.onLeaveTopicResult(kRequestId, "channelName", "userId", "topic", "meta",
                              arg("errorCode"));
       }},
      {13, "onSubscribeTopicResult", "KivEventHandler_onSubscribeTopicResult_ae281ad",
       withRequest({"channelName", "userId", "topic", "succeedUsers", "failedUsers", "errorCode"}),
       kNo,
       [](Handler& h) {
         h.onSubscribeTopicResult(kRequestId, "channelName", "userId", "topic", {}, {},
                                  arg("errorCode"));
       }},
      {14, "onUnsubscribeTopicResult", "KivEventHandler_onUnsubscribeTopicResult_ce14e01",
       withRequest({"channelName", "topic", "errorCode"}), kNo,
       [](Handler& h) {
         h.onUnsubscribeTopicResult(kRequestId, "channelName", "topic", arg("errorCode"));
       }},
      {15, "onGetSubscribedUserListResult", "KivEventHandler_onGetSubscribedUserListResult_79f7ec8",
       withRequest({"channelName", "topic", "users", "errorCode"}), kNo,
       [](Handler& h) {
         h.onGetSubscribedUserListResult(kRequestId, "channelName", "topic", {}, arg("errorCode"));
       }},
      {16,
       "onConnectionStateChanged",
       "KivEventHandler_onConnectionStateChanged_ac0fd53",
       {"channelName", "state", "reason"},
       kNo,
       [](Handler& h) { h.onConnectionStateChanged("channelName", arg("state"), arg("reason")); }},
      {17,
       "onTokenPrivilegeWillExpire",
       "KivEventHandler_onTokenPrivilegeWillExpire_3a2037f",
       {"channelName"},
       kNo,
       [](Handler& h) { h.onTokenPrivilegeWillExpire("channelName"); }},
      {18, "onSubscribeResult", "KivEventHandler_onSubscribeResult_edf84fc",
       withRequest({"channelName", "errorCode"}), kNo,
       [](Handler& h) { h.onSubscribeResult(kRequestId, "channelName", arg("errorCode")); }},
      {19, "onUnsubscribeResult", "KivEventHandler_onUnsubscribeResult_edf84fc",
       withRequest({"channelName", "errorCode"}), kNo,
       [](Handler& h) { h.onUnsubscribeResult(kRequestId, "channelName", arg("errorCode")); }},
      {20, "onPublishResult", "KivEventHandler_onPublishResult_4f46899", withRequest({"errorCode"}),
       kNo, [](Handler& h) { h.onPublishResult(kRequestId, arg("errorCode")); }},
      {21, "onLoginResult", "KivEventHandler_onLoginResult_4f46899", withRequest({"errorCode"}),
       kNo, [](Handler& h) { h.onLoginResult(kRequestId, arg("errorCode")); }},
      {22, "onLogoutResult", "KivEventHandler_onLogoutResult_4f46899", withRequest({"errorCode"}),
       kNo, [](Handler& h) { h.onLogoutResult(kRequestId, arg("errorCode")); }},
      {23, "onRenewTokenResult", "KivEventHandler_onRenewTokenResult_e9203be",
       withRequest({"serverType", "channelName", "errorCode"}), kNo,
       [](Handler& h) {
         h.onRenewTokenResult(kRequestId, arg("serverType"), "channelName", arg("errorCode"));
       }},
      {24, "onSetChannelMetadataResult", "KivEventHandler_onSetChannelMetadataResult_7cb1a6e",
       withRequest({"channelName", "channelType", "errorCode"}), kNo,
       [](Handler& h) {
         h.onSetChannelMetadataResult(kRequestId, "channelName", arg("channelType"),
                                      arg("errorCode"));
       }},
      {25, "onUpdateChannelMetadataResult", "KivEventHandler_onUpdateChannelMetadataResult_7cb1a6e",
       withRequest({"channelName", "channelType", "errorCode"}), kNo,
       [](Handler& h) {
         h.onUpdateChannelMetadataResult(kRequestId, "channelName", arg("channelType"),
                                         arg("errorCode"));
       }},
      {26, "onRemoveChannelMetadataResult", "KivEventHandler_onRemoveChannelMetadataResult_7cb1a6e",
       withRequest({"channelName", "channelType", "errorCode"}), kNo,
       [](Handler& h) {
         h.onRemoveChannelMetadataResult(kRequestId, "channelName", arg("channelType"),
                                         arg("errorCode"));
       }},
      {27, "onGetChannelMetadataResult", "KivEventHandler_onGetChannelMetadataResult_d105bb5",
       withRequest({"channelName", "channelType", "data", "errorCode"}), kNo,
       [](Handler& h) {
         h.onGetChannelMetadataResult(kRequestId, "channelName", arg("channelType"), {},
                                      arg("errorCode"));
       }},
      {28, "onSetUserMetadataResult", "KivEventHandler_onSetUserMetadataResult_edf84fc",
       withRequest({"userId", "errorCode"}), kNo,
       [](Handler& h) { h.onSetUserMetadataResult(kRequestId, "userId", arg("errorCode")); }},
      {29, "onUpdateUserMetadataResult", "KivEventHandler_onUpdateUserMetadataResult_edf84fc",
       withRequest({"userId", "errorCode"}), kNo,
       [](Handler& h) { h.onUpdateUserMetadataResult(kRequestId, "userId", arg("errorCode")); }},
      {30, "onRemoveUserMetadataResult", "KivEventHandler_onRemoveUserMetadataResult_edf84fc",
       withRequest({"userId", "errorCode"}), kNo,
       [](Handler& h) { h.onRemoveUserMetadataResult(kRequestId, "userId", arg("errorCode")); }},
      {31, "onGetUserMetadataResult", "KivEventHandler_onGetUserMetadataResult_7065706",
       withRequest({"userId", "data", "errorCode"}), kNo,
       [](Handler& h) { h.onGetUserMetadataResult(kRequestId, "userId", {}, arg("errorCode")); }},
      {32, "onSubscribeUserMetadataResult", "KivEventHandler_onSubscribeUserMetadataResult_edf84fc",
       withRequest({"userId", "errorCode"}), kNo,
       [](Handler& h) { h.onSubscribeUserMetadataResult(kRequestId, "userId", arg("errorCode")); }},
      {33, "onUnsubscribeUserMetadataResult",
       "KivEventHandler_onUnsubscribeUserMetadataResult_edf84fc",
       withRequest({"userId", "errorCode"}), kNo,
       [](Handler& h) {
         h.onUnsubscribeUserMetadataResult(kRequestId, "userId", arg("errorCode"));
       }},
      {34, "onSetLockResult", "KivEventHandler_onSetLockResult_01034fa",
       withRequest({"channelName", "channelType", "lockName", "errorCode"}), kNo,
       [](Handler& h) {
         h.onSetLockResult(kRequestId, "channelName", arg("channelType"), "lockName",
                           arg("errorCode"));
       }},
      {35, "onRemoveLockResult", "KivEventHandler_onRemoveLockResult_01034fa",
       withRequest({"channelName", "channelType", "lockName", "errorCode"}), kNo,
       [](Handler& h) {
         h.onRemoveLockResult(kRequestId, "channelName", arg("channelType"), "lockName",
                              arg("errorCode"));
       }},
      {36, "onReleaseLockResult", "KivEventHandler_onReleaseLockResult_01034fa",
       withRequest({"channelName", "channelType", "lockName", "errorCode"}), kNo,
       [](Handler& h) {
         h.onReleaseLockResult(kRequestId, "channelName", arg("channelType"), "lockName",
                               arg("errorCode"));
       }},
      {37, "onAcquireLockResult", "KivEventHandler_onAcquireLockResult_aad7ec0",
       withRequest({"channelName", "channelType", "lockName", "errorCode", "errorDetails"}), kNo,
       [](Handler& h) {
         h.onAcquireLockResult(kRequestId, "channelName", arg("channelType"), "lockName",
                               arg("errorCode"), "errorDetails");
       }},
      {38, "onRevokeLockResult", "KivEventHandler_onRevokeLockResult_01034fa",
       withRequest({"channelName", "channelType", "lockName", "errorCode"}), kNo,
       [](Handler& h) {
         h.onRevokeLockResult(kRequestId, "channelName", arg("channelType"), "lockName",
                              arg("errorCode"));
       }},
      {39, "onGetLocksResult", "KivEventHandler_onGetLocksResult_6e98f5f",
       withRequest(
           {"channelName", "channelType", "lockDetailList", "count", "count_str", "errorCode"}),
       kNo,
       [](Handler& h) {
         h.onGetLocksResult(kRequestId, "channelName", arg("channelType"), kLock, 1,
                            arg("errorCode"));
       }},
      {40, "onWhoNowResult", "KivEventHandler_onWhoNowResult_b070777",
       withRequest({"userStateList", "count", "count_str", "nextPage", "errorCode"}), kNo,
       [](Handler& h) {
         h.onWhoNowResult(kRequestId, kUserState, 1, "nextPage", arg("errorCode"));
       }},
      {41, "onGetOnlineUsersResult", "KivEventHandler_onGetOnlineUsersResult_b070777",
       withRequest({"userStateList", "count", "count_str", "nextPage", "errorCode"}), kNo,
       [](Handler& h) {
         h.onGetOnlineUsersResult(kRequestId, kUserState, 1, "nextPage", arg("errorCode"));
       }},
      {42, "onWhereNowResult", "KivEventHandler_onWhereNowResult_ae64023",
       withRequest({"channels", "count", "count_str", "errorCode"}), kNo,
       [](Handler& h) { h.onWhereNowResult(kRequestId, kChannel, 1, arg("errorCode")); }},
      {43, "onGetUserChannelsResult", "KivEventHandler_onGetUserChannelsResult_ae64023",
       withRequest({"channels", "count", "count_str", "errorCode"}), kNo,
       [](Handler& h) { h.onGetUserChannelsResult(kRequestId, kChannel, 1, arg("errorCode")); }},
      {44, "onPresenceSetStateResult", "KivEventHandler_onPresenceSetStateResult_4f46899",
       withRequest({"errorCode"}), kNo,
       [](Handler& h) { h.onPresenceSetStateResult(kRequestId, arg("errorCode")); }},
      {45, "onPresenceRemoveStateResult", "KivEventHandler_onPresenceRemoveStateResult_4f46899",
       withRequest({"errorCode"}), kNo,
       [](Handler& h) { h.onPresenceRemoveStateResult(kRequestId, arg("errorCode")); }},
      {46, "onPresenceGetStateResult", "KivEventHandler_onPresenceGetStateResult_3d764cc",
       withRequest({"state", "errorCode"}), kNo,
       [](Handler& h) { h.onPresenceGetStateResult(kRequestId, {}, arg("errorCode")); }},
      {47, "onGetHistoryMessagesResult", "KivEventHandler_onGetHistoryMessagesResult_c5dd08c",
       withRequest({"messageList", "count", "count_str", "newStart", "newStart_str", "errorCode"}),
       EventPayload::kPerHistoryMessage,
       [](Handler& h) {
         h.onGetHistoryMessagesResult(kRequestId, kHistory, 1, kNewStart, arg("errorCode"));
       }},
  };
  return table;
}

TEST(EventCatalogue, ListsTheFortySevenCallbacksInSlotOrder) {
  const auto& catalogue = kivEventCatalogue();
  ASSERT_EQ(catalogue.size(), 47u);
  ASSERT_EQ(rows().size(), 47u);
  for (size_t i = 0; i < rows().size(); ++i) {
    const CatalogueRow& row = rows()[i];
    ASSERT_EQ(row.slot, static_cast<int>(i + 1));
    EXPECT_EQ(catalogue[i].callback, row.callback) << "slot " << row.slot;
    EXPECT_EQ(catalogue[i].eventName, row.eventName) << "slot " << row.slot;
    Keys names;
    for (const EventKey& key : catalogue[i].keys) names.push_back(key.name);
    EXPECT_EQ(names, row.keys) << row.callback;
    EXPECT_EQ(catalogue[i].payload, row.payload) << row.callback;
  }
}

class CatalogueEvent : public ::testing::TestWithParam<size_t> {};

TEST_P(CatalogueEvent, IsEmittedWithItsNameAndExactlyItsKeys) {
  const CatalogueRow& row = rows()[GetParam()];
  const EventDescription& description = kivEventCatalogue()[GetParam()];
  KivEventHandler bridge;
  RecordingSink sink;
  bridge.addEventHandler(&sink);
  row.raise(bridge);  // through the SDK's interface, by slot

  const RecordedEvent event = sink.only();
  EXPECT_EQ(event.name, row.eventName);
  const nlohmann::json body = event.body();
  std::set<std::string> actualKeys;
  for (const auto& item : body.items()) actualKeys.insert(item.key());
  EXPECT_EQ(actualKeys, std::set<std::string>(row.keys.begin(), row.keys.end()));

  for (const EventKey& key : description.keys) {
    SCOPED_TRACE(key.name);
    ASSERT_TRUE(body.contains(key.name));
    const nlohmann::json& value = body[key.name];
    if (key.name == "requestId") {
      EXPECT_EQ(value, kRequestId);
      EXPECT_EQ(body["requestId_str"], std::to_string(kRequestId));
    } else if (key.name == "newStart") {
      EXPECT_EQ(value, kNewStart);
      EXPECT_EQ(body["newStart_str"], std::to_string(kNewStart));
    } else if (key.name == "count") {
      EXPECT_EQ(value, 1u);
      EXPECT_EQ(body["count_str"], "1");
    } else if (key.jsonType == "string" && key.name.size() > 4 &&
               key.name.compare(key.name.size() - 4, 4, "_str") == 0) {
      EXPECT_TRUE(value.is_string());
    } else if (key.jsonType == "string") {
      EXPECT_EQ(value, key.name);  // each string argument was its own key name
    } else if (key.jsonType == "integer") {
      EXPECT_EQ(value, kIntegers.at(key.name));
    } else if (key.jsonType == "object") {
      EXPECT_TRUE(value.is_object());
    } else if (key.jsonType == "array") {
      ASSERT_TRUE(value.is_array());
      EXPECT_EQ(value.size(), 1u);
    } else {
      ADD_FAILURE() << "unknown key type " << key.jsonType;
    }
  }

  const unsigned int expectedBuffers = row.payload == EventPayload::kNone ? 0u : 1u;
  EXPECT_EQ(event.bufferCount, expectedBuffers);
}

INSTANTIATE_TEST_SUITE_P(AllSlots, CatalogueEvent, ::testing::Range<size_t>(0, 47),
                         [](const auto& info) { return std::string(rows()[info.param].callback); });

}  // namespace
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
