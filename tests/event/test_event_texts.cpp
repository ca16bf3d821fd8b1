// Exact event texts: key order, "_str" twins, "" for null strings, [] for
// null or empty lists, nested records, and ill-formed UTF-8.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "event_test_support.h"
#include "src/kiv/src/event/KivEventHandler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace {

using testing_support::RecordedEvent;
using testing_support::RecordingSink;

struct TextCase {
  const char* label;
  std::function<void(sdk::IKivEventHandler&)> raise;
  const char* eventName;
  const char* text;
};

class EventText : public ::testing::TestWithParam<TextCase> {};

TEST_P(EventText, IsExactlyTheCompactSortedBody) {
  KivEventHandler bridge;
  RecordingSink sink;
  ASSERT_TRUE(bridge.addEventHandler(&sink));
  GetParam().raise(bridge);
  const RecordedEvent event = sink.only();
  EXPECT_EQ(event.name, GetParam().eventName);
  EXPECT_EQ(event.data, GetParam().text);
  EXPECT_EQ(event.dataLength, std::string(GetParam().text).size());
  EXPECT_TRUE(event.nulTerminated);
}

const char* kUser1[] = {"u1"};
const char* kUsers2[] = {"u2", "u3"};
const sdk::LockDetail kTwoLocks[] = {{"b-lock", "bob", 4294967295u}, {"a-lock", nullptr, 0}};
const sdk::StateItem kStates[] = {{"mood", "ok"}};

const TextCase kTextCases[] = {
    {"LoginResult", [](sdk::IKivEventHandler& h) { h.onLoginResult(5, 0); },
     "KivEventHandler_onLoginResult_4f46899",
     R"({"errorCode":0,"requestId":5,"requestId_str":"5"})"},
    {"LargestRequestId", [](sdk::IKivEventHandler& h) { h.onPublishResult(UINT64_MAX, -3); },
     "KivEventHandler_onPublishResult_4f46899",
     R"({"errorCode":-3,"requestId":18446744073709551615,"requestId_str":"18446744073709551615"})"},
    {"ConnectionStateNullChannel",
     [](sdk::IKivEventHandler& h) { h.onConnectionStateChanged(nullptr, 3, 5); },
     "KivEventHandler_onConnectionStateChanged_ac0fd53",
     R"({"channelName":"","reason":5,"state":3})"},
    {"AcquireLockKeyOrder",
     [](sdk::IKivEventHandler& h) { h.onAcquireLockResult(7, "ch", 1, "lk", 2, "busy"); },
     "KivEventHandler_onAcquireLockResult_aad7ec0",
     R"({"channelName":"ch","channelType":1,"errorCode":2,"errorDetails":"busy","lockName":"lk","requestId":7,"requestId_str":"7"})"},
    {"TokenEventEmpty", [](sdk::IKivEventHandler& h) { h.onTokenEvent(sdk::TokenEvent{}); },
     "KivEventHandler_onTokenEvent_ec6a1f1",
     R"({"event":{"affectedResources":{"messageChannels":{"channelCount":0,"channelCount_str":"0","channels":[]}},"eventType":0,"reason":"","timestamp":0,"timestamp_str":"0"}})"},
    {"PresenceEventAlwaysHasIntervalAndSnapshot",
     [](sdk::IKivEventHandler& h) { h.onPresenceEvent(sdk::PresenceEvent{}); },
     "KivEventHandler_onPresenceEvent_32b5db1",
     R"({"event":{"channelName":"","channelType":0,"interval":{"joinUserList":{"userCount":0,"userCount_str":"0","users":[]},"leaveUserList":{"userCount":0,"userCount_str":"0","users":[]},"timeoutUserList":{"userCount":0,"userCount_str":"0","users":[]},"userStateCount":0,"userStateCount_str":"0","userStateList":[]},"publisher":"","snapshot":{"userCount":0,"userCount_str":"0","userStateList":[]},"stateItemCount":0,"stateItemCount_str":"0","stateItems":[],"timestamp":0,"timestamp_str":"0","type":0}})"},
    {"LockEventNullListKeepsCount",
     [](sdk::IKivEventHandler& h) {
       sdk::LockEvent event;
       event.count = 2;
       event.timestamp = UINT64_MAX;
       h.onLockEvent(event);
     },
     "KivEventHandler_onLockEvent_5e7fbef",
     R"({"event":{"channelName":"","channelType":0,"count":2,"count_str":"2","eventType":0,"lockDetailList":[],"timestamp":18446744073709551615,"timestamp_str":"18446744073709551615"}})"},
    {"GetLocksTwoInSdkOrder",
     [](sdk::IKivEventHandler& h) { h.onGetLocksResult(9, "ch", 2, kTwoLocks, 2, 0); },
     "KivEventHandler_onGetLocksResult_6e98f5f",
     R"({"channelName":"ch","channelType":2,"count":2,"count_str":"2","errorCode":0,"lockDetailList":[{"lockName":"b-lock","owner":"bob","ttl":4294967295},{"lockName":"a-lock","owner":"","ttl":0}],"requestId":9,"requestId_str":"9"})"},
    {"GetLocksNone",
     [](sdk::IKivEventHandler& h) { h.onGetLocksResult(9, "ch", 2, kTwoLocks, 0, 0); },
     "KivEventHandler_onGetLocksResult_6e98f5f",
     R"({"channelName":"ch","channelType":2,"count":0,"count_str":"0","errorCode":0,"lockDetailList":[],"requestId":9,"requestId_str":"9"})"},
    {"WhoNowNullNextPage",
     [](sdk::IKivEventHandler& h) { h.onWhoNowResult(1, nullptr, 0, nullptr, 0); },
     "KivEventHandler_onWhoNowResult_b070777",
     R"({"count":0,"count_str":"0","errorCode":0,"nextPage":"","requestId":1,"requestId_str":"1","userStateList":[]})"},
    {"HistoryNullListCountTwoAndHighStart",
     [](sdk::IKivEventHandler& h) {
       h.onGetHistoryMessagesResult(3, nullptr, 2, 9223372036854775808ull, 0);
     },
     "KivEventHandler_onGetHistoryMessagesResult_c5dd08c",
     R"({"count":2,"count_str":"2","errorCode":0,"messageList":[],"newStart":9223372036854775808,"newStart_str":"9223372036854775808","requestId":3,"requestId_str":"3"})"},
    {"PresenceStateIsAnObject",
     [](sdk::IKivEventHandler& h) {
       sdk::UserState state{"who", kStates, 1};
       h.onPresenceGetStateResult(4, state, 0);
     },
     "KivEventHandler_onPresenceGetStateResult_3d764cc",
     R"({"errorCode":0,"requestId":4,"requestId_str":"4","state":{"states":[{"key":"mood","value":"ok"}],"statesCount":1,"statesCount_str":"1","userId":"who"}})"},
    {"SubscribeTopicUserListsByValueInTheirPlaces",
     [](sdk::IKivEventHandler& h) {
       h.onSubscribeTopicResult(6, "ch", "me", "tp", sdk::UserList{kUser1, 1},
                                sdk::UserList{kUsers2, 2}, 0);
     },
     "KivEventHandler_onSubscribeTopicResult_ae281ad",
     R"({"channelName":"ch","errorCode":0,"failedUsers":{"userCount":2,"userCount_str":"2","users":["u2","u3"]},"requestId":6,"requestId_str":"6","succeedUsers":{"userCount":1,"userCount_str":"1","users":["u1"]},"topic":"tp","userId":"me"})"},
    {"NonAsciiStaysRawUtf8",
     [](sdk::IKivEventHandler& h) { h.onTokenPrivilegeWillExpire("caf\xC3\xA9 \xE4\xB8\xAD"); },
     "KivEventHandler_onTokenPrivilegeWillExpire_3a2037f",
     "{\"channelName\":\"caf\xC3\xA9 \xE4\xB8\xAD\"}"},
    {"IllFormedUtf8IsReplacedNotDropped",
     [](sdk::IKivEventHandler& h) {
       h.onSubscribeResult(2,
                           "ab\xFF"
                           "c\xC3",
                           0);
     },
     "KivEventHandler_onSubscribeResult_edf84fc",
     "{\"channelName\":\"ab\xEF\xBF\xBD"
     "c\xEF\xBF\xBD\",\"errorCode\":0,\"requestId\":2,"
     "\"requestId_str\":\"2\"}"},
};

INSTANTIATE_TEST_SUITE_P(Bridge, EventText, ::testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(EventParamFields, LoginResultCarriesNoResultBufferAndNoBuffers) {
  KivEventHandler bridge;
  RecordingSink sink;
  bridge.addEventHandler(&sink);
  bridge.onLoginResult(5, 0);
  const RecordedEvent event = sink.only();
  EXPECT_EQ(event.dataLength, 49u);
  EXPECT_TRUE(event.resultBufferNull);
  EXPECT_TRUE(event.buffersNull);
  EXPECT_TRUE(event.lengthsNull);
  EXPECT_EQ(event.bufferCount, 0u);
}

TEST(EventParamFields, MessageEventPassesThePayloadAsItsOnlyBuffer) {
  KivEventHandler bridge;
  RecordingSink sink;
  bridge.addEventHandler(&sink);
  const char payload[] = {'\x01', '\x00', '\x7F'};
  sdk::MessageEvent message;
  message.channelName = "ch";
  message.message = payload;
  message.messageLength = 3;
  message.timestamp = UINT64_MAX;
  bridge.onMessageEvent(message);

  const RecordedEvent event = sink.only();
  EXPECT_EQ(event.name, "KivEventHandler_onMessageEvent_ce5f8f5");
  ASSERT_EQ(event.bufferCount, 1u);
  EXPECT_EQ(event.buffers[0], static_cast<const void*>(payload));
  EXPECT_EQ(event.lengths[0], 3u);
  const auto address = std::to_string(reinterpret_cast<uintptr_t>(payload));
  EXPECT_EQ(event.data,
            R"({"event":{"channelName":"ch","channelTopic":"","channelType":0,"customType":"",)"
            R"("message":)" +
                address + R"(,"messageLength":3,"messageLength_str":"3",)" +
                R"("messageType":0,"message_str":")" + address + R"(","publisher":"",)" +
                R"("timestamp":18446744073709551615,"timestamp_str":"18446744073709551615"}})");
}

TEST(EventParamFields, MessageEventWithNullPayloadStillHasOneBuffer) {
  KivEventHandler bridge;
  RecordingSink sink;
  bridge.addEventHandler(&sink);
  bridge.onMessageEvent(sdk::MessageEvent{});
  const RecordedEvent event = sink.only();
  ASSERT_EQ(event.bufferCount, 1u);
  EXPECT_EQ(event.buffers[0], nullptr);
  EXPECT_EQ(event.lengths[0], 0u);
  const auto body = event.body()["event"];
  EXPECT_EQ(body["message"], 0u);
  EXPECT_EQ(body["message_str"], "0");
  EXPECT_EQ(body["messageLength"], 0u);
  EXPECT_EQ(body["messageLength_str"], "0");
}

TEST(EventParamFields, HistoryResultHasOneBufferPerMessageInListOrder) {
  KivEventHandler bridge;
  RecordingSink sink;
  bridge.addEventHandler(&sink);
  const char first[] = "hello";
  const char second[] = "xy";
  sdk::HistoryMessage messages[2];
  messages[0].message = first;
  messages[0].messageLength = 5;
  messages[0].publisher = "p1";
  messages[1].message = second;
  messages[1].messageLength = 2;
  bridge.onGetHistoryMessagesResult(8, messages, 2, 42, 0);

  const RecordedEvent event = sink.only();
  ASSERT_EQ(event.bufferCount, 2u);
  EXPECT_EQ(event.buffers[0], static_cast<const void*>(first));
  EXPECT_EQ(event.lengths[0], 5u);
  EXPECT_EQ(event.buffers[1], static_cast<const void*>(second));
  EXPECT_EQ(event.lengths[1], 2u);
  EXPECT_EQ(event.data.find("hello"), std::string::npos);
  const auto body = event.body();
  ASSERT_EQ(body["messageList"].size(), 2u);
  EXPECT_EQ(body["messageList"][0]["publisher"], "p1");
  EXPECT_EQ(body["messageList"][1]["messageLength"], 2u);
  EXPECT_EQ(body["count"], 2u);
  EXPECT_EQ(body["newStart_str"], "42");
}

TEST(EventParamFields, HistoryResultWithoutMessagesHasNoBuffers) {
  KivEventHandler bridge;
  RecordingSink sink;
  bridge.addEventHandler(&sink);
  sdk::HistoryMessage one[1];
  bridge.onGetHistoryMessagesResult(1, nullptr, 2, 0, 0);
  bridge.onGetHistoryMessagesResult(2, one, 0, 0, 0);
  const auto events = sink.events();
  ASSERT_EQ(events.size(), 2u);
  for (const RecordedEvent& event : events) {
    EXPECT_EQ(event.bufferCount, 0u);
    EXPECT_TRUE(event.buffersNull);
    EXPECT_TRUE(event.lengthsNull);
  }
}

}  // namespace
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
