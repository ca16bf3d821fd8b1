// Writing the event and result records: every key always present, twins
// beside their numbers, null strings as "", null or empty arrays as [].
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>

#include "json/json_test_helpers.h"

namespace {

using namespace kivjson;

constexpr uint64_t kU64Max = std::numeric_limits<uint64_t>::max();

TEST(WrittenRecord, TokenEventExactText) {
  const sdk::TokenEvent event{};  // type 0, null reason, no channels, time stamp 0
  EXPECT_EQ(dumpCompact(written(event)),
            R"({"affectedResources":{"messageChannels":{"channelCount":0,"channelCount_str":"0",)"
            R"("channels":[]}},"eventType":0,"reason":"","timestamp":0,"timestamp_str":"0"})");
}

struct WrittenCase {
  const char* name;
  std::function<json()> write;
  const char* expected;  // compared after canonical formatting
};

void PrintTo(const WrittenCase& row, std::ostream* os) { *os << row.name; }

class WrittenText : public ::testing::TestWithParam<WrittenCase> {};

TEST_P(WrittenText, MatchesTheExpectedObject) {
  const json value = GetParam().write();
  EXPECT_EQ(dumpCompact(value), canonical(GetParam().expected));
  expectTwinsAndNoNulls(value);
}

// Shared fixtures, static so the records' pointers stay valid.
const sdk::StateItem kStates[] = {{"sk", "sv"}, {nullptr, nullptr}};
const char* kUsers[] = {"ann", nullptr, "bob"};
const sdk::UserState kUserStates[] = {{"ann", kStates, 1}, {nullptr, nullptr, 4}};
const sdk::PublisherInfo kPublishers[] = {{"pub", "meta"}, {nullptr, nullptr}};
const sdk::TopicInfo kTopics[] = {{"t1", kPublishers, 2}, {nullptr, kPublishers, 0}};
const sdk::LockDetail kLocks[] = {{"lock", "owner", 4294967295u}, {nullptr, nullptr, 0}};
const sdk::MetadataItem kItems[] = {
    {"k", "v", "author", std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()},
    {nullptr, nullptr, nullptr, -1, 0}};
const char* kChannels[] = {"c1", "c2"};

json messageEvent() {
  sdk::MessageEvent e;
  e.channelType = -2;
  e.messageType = 3;
  e.channelName = "chan";
  e.channelTopic = "topic";
  e.message = fakeAddress<const char*>(4096);
  e.messageLength = 17;
  e.publisher = "pub";
  e.customType = "ct";
  e.timestamp = kU64Max;
  return written(e);
}

json historyMessage() {
  sdk::HistoryMessage m;
  m.messageType = -4;
  m.publisher = "pub";
  m.message = fakeAddress<const char*>(8192);
  m.messageLength = 3;
  m.customType = "ct";
  m.timestamp = 1234567890123ULL;
  return written(m);
}

json presenceEvent() {
  sdk::PresenceEvent e;
  e.type = -1;
  e.channelType = 2;
  e.channelName = "chan";
  e.publisher = nullptr;
  e.stateItems = kStates;
  e.stateItemCount = 2;
  e.interval.joinUserList = {kUsers, 3};
  e.interval.leaveUserList = {nullptr, 5};
  e.interval.timeoutUserList = {kUsers, 0};
  e.interval.userStateList = kUserStates;
  e.interval.userStateCount = 2;
  e.snapshot.userStateList = kUserStates;
  e.snapshot.userCount = 1;
  e.timestamp = 99;
  return written(e);
}

json topicEvent() {
  sdk::TopicEvent e;
  e.type = 5;
  e.channelName = "chan";
  e.publisher = "pub";
  e.topicInfos = kTopics;
  e.topicInfoCount = 2;
  e.timestamp = 10;
  return written(e);
}

json lockEvent() {
  sdk::LockEvent e;
  e.channelType = 1;
  e.eventType = -6;
  e.channelName = "chan";
  e.lockDetailList = kLocks;
  e.count = 2;
  e.timestamp = 11;
  return written(e);
}

json lockEventWithNullList() {
  sdk::LockEvent e;
  e.count = 2;
  return written(e);
}

json storageEvent() {
  sdk::StorageEvent e;
  e.channelType = 1;
  e.storageType = 2;
  e.eventType = -3;
  e.target = "tgt";
  e.data = {42, kItems, 2};
  e.timestamp = 12;
  return written(e);
}

json linkStateEvent() {
  sdk::LinkStateEvent e;
  e.currentState = 1;
  e.previousState = 2;
  e.serviceType = 3;
  e.operation = 4;
  e.reasonCode = -5;
  e.reason = "why";
  e.affectedChannels = kChannels;
  e.affectedChannelCount = 2;
  e.unrestoredChannels = nullptr;
  e.unrestoredChannelCount = 1;
  e.isResumed = true;
  e.timestamp = 13;
  return written(e);
}

json tokenEventWithChannels() {
  sdk::TokenEvent e;
  e.eventType = -1;
  e.reason = "expiring";
  e.affectedResources.messageChannels = {kChannels, 2};
  e.timestamp = kU64Max;
  return written(e);
}

json metadataWithNullItems() {
  sdk::Metadata m;
  m.itemCount = 2;
  return written(m);
}

INSTANTIATE_TEST_SUITE_P(
    Records, WrittenText,
    ::testing::Values(
        WrittenCase{"MessageEvent", messageEvent,
                    R"({"channelType":-2,"messageType":3,"channelName":"chan",
                        "channelTopic":"topic","message":4096,"message_str":"4096",
                        "messageLength":17,"messageLength_str":"17","publisher":"pub",
                        "customType":"ct","timestamp":18446744073709551615,
                        "timestamp_str":"18446744073709551615"})"},
        WrittenCase{"MessageEventNullPayload", [] { return written(sdk::MessageEvent{}); },
                    R"({"channelType":0,"messageType":0,"channelName":"","channelTopic":"",
                        "message":0,"message_str":"0","messageLength":0,
                        "messageLength_str":"0","publisher":"","customType":"",
                        "timestamp":0,"timestamp_str":"0"})"},
        WrittenCase{"HistoryMessage", historyMessage,
                    R"({"messageType":-4,"publisher":"pub","message":8192,"message_str":"8192",
                        "messageLength":3,"messageLength_str":"3","customType":"ct",
                        "timestamp":1234567890123,"timestamp_str":"1234567890123"})"},
        WrittenCase{"PresenceEvent", presenceEvent,
                    R"({"type":-1,"channelType":2,"channelName":"chan","publisher":"",
                        "stateItems":[{"key":"sk","value":"sv"},{"key":"","value":""}],
                        "stateItemCount":2,"stateItemCount_str":"2",
                        "interval":{
                          "joinUserList":{"users":["ann","","bob"],"userCount":3,
                                          "userCount_str":"3"},
                          "leaveUserList":{"users":[],"userCount":5,"userCount_str":"5"},
                          "timeoutUserList":{"users":[],"userCount":0,"userCount_str":"0"},
                          "userStateList":[
                            {"userId":"ann","states":[{"key":"sk","value":"sv"}],
                             "statesCount":1,"statesCount_str":"1"},
                            {"userId":"","states":[],"statesCount":4,"statesCount_str":"4"}],
                          "userStateCount":2,"userStateCount_str":"2"},
                        "snapshot":{
                          "userStateList":[
                            {"userId":"ann","states":[{"key":"sk","value":"sv"}],
                             "statesCount":1,"statesCount_str":"1"}],
                          "userCount":1,"userCount_str":"1"},
                        "timestamp":99,"timestamp_str":"99"})"},
        WrittenCase{"PresenceEventEmpty", [] { return written(sdk::PresenceEvent{}); },
                    R"({"type":0,"channelType":0,"channelName":"","publisher":"",
                        "stateItems":[],"stateItemCount":0,"stateItemCount_str":"0",
                        "interval":{
                          "joinUserList":{"users":[],"userCount":0,"userCount_str":"0"},
                          "leaveUserList":{"users":[],"userCount":0,"userCount_str":"0"},
                          "timeoutUserList":{"users":[],"userCount":0,"userCount_str":"0"},
                          "userStateList":[],"userStateCount":0,"userStateCount_str":"0"},
                        "snapshot":{"userStateList":[],"userCount":0,"userCount_str":"0"},
                        "timestamp":0,"timestamp_str":"0"})"},
        WrittenCase{"TopicEvent", topicEvent,
                    R"({"type":5,"channelName":"chan","publisher":"pub",
                        "topicInfos":[
                          {"topic":"t1","publishers":[
                             {"publisherUserId":"pub","publisherMeta":"meta"},
                             {"publisherUserId":"","publisherMeta":""}],
                           "publisherCount":2,"publisherCount_str":"2"},
                          {"topic":"","publishers":[],"publisherCount":0,
                           "publisherCount_str":"0"}],
                        "topicInfoCount":2,"topicInfoCount_str":"2",
                        "timestamp":10,"timestamp_str":"10"})"},
        WrittenCase{"LockEvent", lockEvent,
                    R"({"channelType":1,"eventType":-6,"channelName":"chan",
                        "lockDetailList":[{"lockName":"lock","owner":"owner","ttl":4294967295},
                                          {"lockName":"","owner":"","ttl":0}],
                        "count":2,"count_str":"2","timestamp":11,"timestamp_str":"11"})"},
        WrittenCase{"LockEventNullListWithCount", lockEventWithNullList,
                    R"({"channelType":0,"eventType":0,"channelName":"","lockDetailList":[],
                        "count":2,"count_str":"2","timestamp":0,"timestamp_str":"0"})"},
        WrittenCase{"StorageEvent", storageEvent,
                    R"({"channelType":1,"storageType":2,"eventType":-3,"target":"tgt",
                        "data":{"majorRevision":42,"items":[
                          {"key":"k","value":"v","authorUserId":"author",
                           "revision":-9223372036854775808,"updateTs":9223372036854775807},
                          {"key":"","value":"","authorUserId":"","revision":-1,"updateTs":0}],
                          "itemCount":2,"itemCount_str":"2"},
                        "timestamp":12,"timestamp_str":"12"})"},
        WrittenCase{"LinkStateEvent", linkStateEvent,
                    R"({"currentState":1,"previousState":2,"serviceType":3,"operation":4,
                        "reasonCode":-5,"reason":"why","affectedChannels":["c1","c2"],
                        "affectedChannelCount":2,"affectedChannelCount_str":"2",
                        "unrestoredChannels":[],"unrestoredChannelCount":1,
                        "unrestoredChannelCount_str":"1","isResumed":true,
                        "timestamp":13,"timestamp_str":"13"})"},
        WrittenCase{"TokenEvent", tokenEventWithChannels,
                    R"({"eventType":-1,"reason":"expiring",
                        "affectedResources":{"messageChannels":{"channels":["c1","c2"],
                          "channelCount":2,"channelCount_str":"2"}},
                        "timestamp":18446744073709551615,
                        "timestamp_str":"18446744073709551615"})"},
        WrittenCase{"ChannelInfo",
                    [] {
                      return written(sdk::ChannelInfo{"chan", -7});
                    },
                    R"({"channelName":"chan","channelType":-7})"},
        WrittenCase{"UserListNullElement",
                    [] {
                      return written(sdk::UserList{kUsers, 3});
                    },
                    R"({"users":["ann","","bob"],"userCount":3,"userCount_str":"3"})"},
        WrittenCase{"LockDetailLargestTtlHasNoTwin",
                    [] {
                      return written(sdk::LockDetail{"l", "o", 4294967295u});
                    },
                    R"({"lockName":"l","owner":"o","ttl":4294967295})"},
        WrittenCase{"MetadataNullItemsWithCount", metadataWithNullItems,
                    R"({"majorRevision":-1,"items":[],"itemCount":2,"itemCount_str":"2"})"},
        WrittenCase{"MetadataItemEmpty", [] { return written(sdk::MetadataItem{}); },
                    R"({"key":"","value":"","authorUserId":"","revision":-1,"updateTs":0})"},
        WrittenCase{"StateItemNull", [] { return written(sdk::StateItem{}); },
                    R"({"key":"","value":""})"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every written record at its zero state: the complete key set, nothing null.
struct KeySetCase {
  const char* name;
  std::function<json()> write;
  const char* keys;  // comma-separated, ascending
};

void PrintTo(const KeySetCase& row, std::ostream* os) { *os << row.name; }

class WrittenKeySet : public ::testing::TestWithParam<KeySetCase> {};

TEST_P(WrittenKeySet, EveryKeyIsAlwaysWritten) {
  const json value = GetParam().write();
  ASSERT_TRUE(value.is_object());
  std::string keys;
  for (auto it = value.begin(); it != value.end(); ++it)
    keys += (keys.empty() ? "" : ",") + it.key();
  EXPECT_EQ(keys, GetParam().keys);
  expectTwinsAndNoNulls(value);
}

template <class Record>
json zero() {
  return written(Record{});
}

INSTANTIATE_TEST_SUITE_P(
    Records, WrittenKeySet,
    ::testing::Values(
        KeySetCase{"MessageEvent", zero<sdk::MessageEvent>,
                   "channelName,channelTopic,channelType,customType,message,messageLength,"
                   "messageLength_str,messageType,message_str,publisher,timestamp,timestamp_str"},
        KeySetCase{"HistoryMessage", zero<sdk::HistoryMessage>,
                   "customType,message,messageLength,messageLength_str,messageType,message_str,"
                   "publisher,timestamp,timestamp_str"},
        KeySetCase{"PresenceEvent", zero<sdk::PresenceEvent>,
                   "channelName,channelType,interval,publisher,snapshot,stateItemCount,"
                   "stateItemCount_str,stateItems,timestamp,timestamp_str,type"},
        KeySetCase{"IntervalInfo", zero<sdk::IntervalInfo>,
                   "joinUserList,leaveUserList,timeoutUserList,userStateCount,"
                   "userStateCount_str,userStateList"},
        KeySetCase{"SnapshotInfo", zero<sdk::SnapshotInfo>,
                   "userCount,userCount_str,userStateList"},
        KeySetCase{"UserList", zero<sdk::UserList>, "userCount,userCount_str,users"},
        KeySetCase{"UserState", zero<sdk::UserState>, "states,statesCount,statesCount_str,userId"},
        KeySetCase{"TopicEvent", zero<sdk::TopicEvent>,
                   "channelName,publisher,timestamp,timestamp_str,topicInfoCount,"
                   "topicInfoCount_str,topicInfos,type"},
        KeySetCase{"TopicInfo", zero<sdk::TopicInfo>,
                   "publisherCount,publisherCount_str,publishers,topic"},
        KeySetCase{"PublisherInfo", zero<sdk::PublisherInfo>, "publisherMeta,publisherUserId"},
        KeySetCase{"LockEvent", zero<sdk::LockEvent>,
                   "channelName,channelType,count,count_str,eventType,lockDetailList,timestamp,"
                   "timestamp_str"},
        KeySetCase{"LockDetail", zero<sdk::LockDetail>, "lockName,owner,ttl"},
        KeySetCase{"StorageEvent", zero<sdk::StorageEvent>,
                   "channelType,data,eventType,storageType,target,timestamp,timestamp_str"},
        KeySetCase{"LinkStateEvent", zero<sdk::LinkStateEvent>,
                   "affectedChannelCount,affectedChannelCount_str,affectedChannels,currentState,"
                   "isResumed,operation,previousState,reason,reasonCode,serviceType,timestamp,"
                   "timestamp_str,unrestoredChannelCount,unrestoredChannelCount_str,"
                   "unrestoredChannels"},
        KeySetCase{"TokenEvent", zero<sdk::TokenEvent>,
                   "affectedResources,eventType,reason,timestamp,timestamp_str"},
        KeySetCase{"AffectedResources", zero<sdk::AffectedResources>, "messageChannels"},
        KeySetCase{"ChannelList", zero<sdk::ChannelList>, "channelCount,channelCount_str,channels"},
        KeySetCase{"ChannelInfo", zero<sdk::ChannelInfo>, "channelName,channelType"},
        KeySetCase{"Metadata", zero<sdk::Metadata>, "itemCount,itemCount_str,items,majorRevision"},
        KeySetCase{"MetadataItem", zero<sdk::MetadataItem>,
                   "authorUserId,key,revision,updateTs,value"},
        KeySetCase{"StateItem", zero<sdk::StateItem>, "key,value"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
