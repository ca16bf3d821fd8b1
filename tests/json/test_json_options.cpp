// Reading the request option records and the metadata and state records.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "json/json_test_helpers.h"

namespace {

using namespace kivjson;

constexpr uint64_t kU64Max = std::numeric_limits<uint64_t>::max();

TEST(RequestOptionsJson, EmptyObjectsGiveTheDefaults) {
  json empty = json::object();
  const auto publish = readFrom<sdk::PublishOptions>(empty);
  EXPECT_EQ(publish.channelType, 1);
  EXPECT_EQ(publish.messageType, 0);
  EXPECT_EQ(publish.customType, nullptr);
  EXPECT_FALSE(publish.storeInHistory);

  const auto subscribe = readFrom<sdk::SubscribeOptions>(empty);
  EXPECT_TRUE(subscribe.withMessage);
  EXPECT_FALSE(subscribe.withMetadata);
  EXPECT_TRUE(subscribe.withPresence);
  EXPECT_FALSE(subscribe.withLock);
  EXPECT_FALSE(subscribe.beQuiet);

  const auto join = readFrom<sdk::JoinChannelOptions>(empty);
  EXPECT_EQ(join.token, nullptr);
  EXPECT_FALSE(join.withMetadata);
  EXPECT_TRUE(join.withPresence);
  EXPECT_FALSE(join.withLock);
  EXPECT_FALSE(join.beQuiet);

  const auto joinTopic = readFrom<sdk::JoinTopicOptions>(empty);
  EXPECT_EQ(joinTopic.qos, 0);
  EXPECT_EQ(joinTopic.priority, 4);
  EXPECT_EQ(joinTopic.meta, nullptr);
  EXPECT_FALSE(joinTopic.syncWithMedia);

  const auto topicMessage = readFrom<sdk::TopicMessageOptions>(empty);
  EXPECT_EQ(topicMessage.messageType, 0);
  EXPECT_EQ(topicMessage.sendTs, 0u);
  EXPECT_EQ(topicMessage.customType, nullptr);

  const auto topic = readFrom<sdk::TopicOptions>(empty);
  EXPECT_EQ(topic.users, nullptr);
  EXPECT_EQ(topic.userCount, 0u);

  const auto presence = readFrom<sdk::PresenceOptions>(empty);
  EXPECT_TRUE(presence.includeUserId);
  EXPECT_FALSE(presence.includeState);
  EXPECT_EQ(presence.page, nullptr);

  const auto online = readFrom<sdk::GetOnlineUsersOptions>(empty);
  EXPECT_TRUE(online.includeUserId);
  EXPECT_FALSE(online.includeState);
  EXPECT_EQ(online.page, nullptr);

  const auto history = readFrom<sdk::GetHistoryMessagesOptions>(empty);
  EXPECT_EQ(history.messageCount, 100);
  EXPECT_EQ(history.start, 0u);
  EXPECT_EQ(history.end, 0u);

  const auto metadataOptions = readFrom<sdk::MetadataOptions>(empty);
  EXPECT_FALSE(metadataOptions.recordTs);
  EXPECT_FALSE(metadataOptions.recordUserId);

  const auto metadata = readFrom<sdk::Metadata>(empty);
  EXPECT_EQ(metadata.majorRevision, -1);
  EXPECT_EQ(metadata.items, nullptr);
  EXPECT_EQ(metadata.itemCount, 0u);

  const auto item = readFrom<sdk::MetadataItem>(empty);
  EXPECT_EQ(item.key, nullptr);
  EXPECT_EQ(item.value, nullptr);
  EXPECT_EQ(item.authorUserId, nullptr);
  EXPECT_EQ(item.revision, -1);
  EXPECT_EQ(item.updateTs, 0);

  const auto state = readFrom<sdk::StateItem>(empty);
  EXPECT_EQ(state.key, nullptr);
  EXPECT_EQ(state.value, nullptr);

  EXPECT_EQ(empty, json::object());
}

TEST(RequestOptionsJson, EveryKeyReachesItsField) {
  json o = json::parse(R"({
    "channelType": -3, "messageType": 2, "customType": "ct", "storeInHistory": true,
    "withMessage": false, "withMetadata": true, "withPresence": false, "withLock": true,
    "beQuiet": true, "token": "tk", "qos": 1, "priority": 2, "meta": "m", "syncWithMedia": true,
    "sendTs": 77, "users": ["u1"], "includeUserId": false, "includeState": true, "page": "p",
    "messageCount": 20, "start": 5, "end": 9, "recordTs": true, "recordUserId": true,
    "majorRevision": -5, "items": [{"key": "k"}], "key": "sk", "value": "sv",
    "authorUserId": "au", "revision": 12, "updateTs": -8})");

  const auto publish = readFrom<sdk::PublishOptions>(o);
  EXPECT_EQ(publish.channelType, -3);
  EXPECT_EQ(publish.messageType, 2);
  EXPECT_EQ(publish.customType, charsAt(o, "customType"));
  EXPECT_TRUE(publish.storeInHistory);

  const auto subscribe = readFrom<sdk::SubscribeOptions>(o);
  EXPECT_FALSE(subscribe.withMessage);
  EXPECT_TRUE(subscribe.withMetadata);
  EXPECT_FALSE(subscribe.withPresence);
  EXPECT_TRUE(subscribe.withLock);
  EXPECT_TRUE(subscribe.beQuiet);

  const auto join = readFrom<sdk::JoinChannelOptions>(o);
  EXPECT_EQ(join.token, charsAt(o, "token"));
  EXPECT_TRUE(join.withMetadata);
  EXPECT_FALSE(join.withPresence);
  EXPECT_TRUE(join.withLock);
  EXPECT_TRUE(join.beQuiet);

  const auto joinTopic = readFrom<sdk::JoinTopicOptions>(o);
  EXPECT_EQ(joinTopic.qos, 1);
  EXPECT_EQ(joinTopic.priority, 2);
  EXPECT_EQ(joinTopic.meta, charsAt(o, "meta"));
  EXPECT_TRUE(joinTopic.syncWithMedia);

  const auto topicMessage = readFrom<sdk::TopicMessageOptions>(o);
  EXPECT_EQ(topicMessage.messageType, 2);
  EXPECT_EQ(topicMessage.sendTs, 77u);
  EXPECT_STREQ(topicMessage.customType, "ct");

  const auto topic = readFrom<sdk::TopicOptions>(o);
  ASSERT_EQ(topic.userCount, 1u);
  EXPECT_STREQ(topic.users[0], "u1");

  const auto presence = readFrom<sdk::PresenceOptions>(o);
  EXPECT_FALSE(presence.includeUserId);
  EXPECT_TRUE(presence.includeState);
  EXPECT_EQ(presence.page, charsAt(o, "page"));

  const auto online = readFrom<sdk::GetOnlineUsersOptions>(o);
  EXPECT_FALSE(online.includeUserId);
  EXPECT_TRUE(online.includeState);
  EXPECT_EQ(online.page, charsAt(o, "page"));

  const auto history = readFrom<sdk::GetHistoryMessagesOptions>(o);
  EXPECT_EQ(history.messageCount, 20);
  EXPECT_EQ(history.start, 5u);
  EXPECT_EQ(history.end, 9u);

  const auto metadataOptions = readFrom<sdk::MetadataOptions>(o);
  EXPECT_TRUE(metadataOptions.recordTs);
  EXPECT_TRUE(metadataOptions.recordUserId);

  const auto metadata = readFrom<sdk::Metadata>(o);
  EXPECT_EQ(metadata.majorRevision, -5);
  ASSERT_EQ(metadata.itemCount, 1u);
  EXPECT_STREQ(metadata.items[0].key, "k");

  const auto item = readFrom<sdk::MetadataItem>(o);
  EXPECT_EQ(item.key, charsAt(o, "key"));
  EXPECT_EQ(item.value, charsAt(o, "value"));
  EXPECT_EQ(item.authorUserId, charsAt(o, "authorUserId"));
  EXPECT_EQ(item.revision, 12);
  EXPECT_EQ(item.updateTs, -8);

  const auto state = readFrom<sdk::StateItem>(o);
  EXPECT_EQ(state.key, charsAt(o, "key"));
  EXPECT_EQ(state.value, charsAt(o, "value"));
}

TEST(RequestOptionsJson, OneKeyLeavesTheOthersAtTheirDefaults) {
  json qos = json::parse(R"({"qos": 1})");
  const auto joinTopic = readFrom<sdk::JoinTopicOptions>(qos);
  EXPECT_EQ(joinTopic.qos, 1);
  EXPECT_EQ(joinTopic.priority, 4);

  json wrongKinds = json::parse(R"({"withMessage": 0, "withPresence": "false", "beQuiet": 1})");
  const auto subscribe = readFrom<sdk::SubscribeOptions>(wrongKinds);
  EXPECT_TRUE(subscribe.withMessage);
  EXPECT_TRUE(subscribe.withPresence);
  EXPECT_FALSE(subscribe.beQuiet);
}

struct CountCase {
  const char* name;
  const char* options;
  uint16_t expected;
};

void PrintTo(const CountCase& row, std::ostream* os) { *os << row.name; }

class MessageCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(MessageCount, KeepsLow16BitsOfIntegersAndSaturatesFloats) {
  json options = json::parse(GetParam().options);
  EXPECT_EQ(readFrom<sdk::GetHistoryMessagesOptions>(options).messageCount, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageCount,
    ::testing::Values(CountCase{"Absent", "{}", 100},
                      CountCase{"Zero", R"({"messageCount": 0})", 0},
                      CountCase{"Wraps", R"({"messageCount": 65537})", 1},
                      CountCase{"Float", R"({"messageCount": 12.9})", 12},
                      CountCase{"NegativeFloat", R"({"messageCount": -1.0})", 0},
                      CountCase{"HugeFloat", R"({"messageCount": 1e9})", 65535},
                      CountCase{"Text", R"({"messageCount": "5"})", 100}),
    [](const auto& info) { return std::string(info.param.name); });

// The unsigned 64-bit fields read from K_str (decimal text) or else from K.
struct TwinField {
  const char* key;
  std::function<uint64_t(json&)> read;
};

void PrintTo(const TwinField& row, std::ostream* os) { *os << row.key; }

struct TwinCase {
  const char* name;
  const char* twin;   // JSON value under K_str, or nullptr for absent
  const char* plain;  // JSON value under K, or nullptr for absent
  uint64_t expected;
};

void PrintTo(const TwinCase& row, std::ostream* os) { *os << row.name; }

class UnsignedTwin : public ::testing::TestWithParam<std::tuple<TwinField, TwinCase>> {};

TEST_P(UnsignedTwin, TextWinsThenNumberThenDefault) {
  const TwinField& field = std::get<0>(GetParam());
  const TwinCase& c = std::get<1>(GetParam());
  json options = json::object();
  if (c.twin) options[std::string(field.key) + "_str"] = json::parse(c.twin);
  if (c.plain) options[field.key] = json::parse(c.plain);
  EXPECT_EQ(field.read(options), c.expected) << options.dump();
}

const TwinField kTwinFields[] = {
    {"start", [](json& o) { return readFrom<sdk::GetHistoryMessagesOptions>(o).start; }},
    {"end", [](json& o) { return readFrom<sdk::GetHistoryMessagesOptions>(o).end; }},
    {"sendTs", [](json& o) { return readFrom<sdk::TopicMessageOptions>(o).sendTs; }},
};

const TwinCase kTwinCases[] = {
    {"TextWins", R"("123")", "5", 123},
    {"TextAlone", R"("7")", nullptr, 7},
    {"TwinAsNumberIgnored", "17", "5", 5},
    {"TwinAsNullIgnored", "null", "9", 9},
    {"NeitherKeepsDefault", nullptr, nullptr, 0},
    {"LargestAsText", R"("18446744073709551615")", "5", kU64Max},
    {"LargestAsNumber", nullptr, "18446744073709551615", kU64Max},
    {"TextWithTrailingLetters", R"(" 42xyz")", nullptr, 42},
    {"TextWithoutDigitsCountsAsAbsent", R"("abc")", "5", 5},
    {"EmptyTextCountsAsAbsent", R"("")", "5", 5},
    {"TextWithoutDigitsAloneKeepsDefault", R"("abc")", nullptr, 0},
    {"TextAboveLargestCountsAsAbsent", R"("18446744073709551616")", "5", 5},
    {"FloatTruncates", nullptr, "3.9", 3},
    {"NegativeFloatIsZero", nullptr, "-1.5", 0},
    {"HugeFloatSaturates", nullptr, "1e30", kU64Max},
    {"PlainAsTextIgnored", nullptr, R"("5")", 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, UnsignedTwin,
                         ::testing::Combine(::testing::ValuesIn(kTwinFields),
                                            ::testing::ValuesIn(kTwinCases)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).key) + "_" +
                                  std::get<1>(info.param).name;
                         });

// "users" of TopicOptions: the array storage rules shared by every array read.
struct UsersCase {
  const char* name;
  const char* options;
  std::vector<std::string> users;  // empty: null pointer, count 0, no "_quon_data"
};

void PrintTo(const UsersCase& row, std::ostream* os) { *os << row.name; }

class TopicUsers : public ::testing::TestWithParam<UsersCase> {};

TEST_P(TopicUsers, ArrayLivesInTheOptionsObject) {
  json options = json::parse(GetParam().options);
  const sdk::TopicOptions topic = readFrom<sdk::TopicOptions>(options);
  const std::vector<std::string>& users = GetParam().users;
  ASSERT_EQ(topic.userCount, users.size());
  if (users.empty()) {
    EXPECT_EQ(topic.users, nullptr);
    EXPECT_FALSE(options.contains("_quon_data"));
    return;
  }
  ASSERT_NE(topic.users, nullptr);
  ASSERT_TRUE(options["_quon_data"].contains("users"));
  EXPECT_EQ(static_cast<const void*>(topic.users),
            options["_quon_data"]["users"].get_ref<const std::string&>().data());
  for (size_t i = 0; i < users.size(); ++i) {
    ASSERT_NE(topic.users[i], nullptr) << i;
    EXPECT_EQ(topic.users[i], users[i]) << i;
    if (options["users"][i].is_string()) {
      EXPECT_EQ(topic.users[i], options["users"][i].get_ref<const std::string&>().c_str());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TopicUsers,
    ::testing::Values(
        UsersCase{"TwoStrings", R"({"users": ["a", "b"]})", {"a", "b"}},
        UsersCase{
            "HostCountIgnored", R"({"users": ["a"], "userCount": 3, "userCount_str": "3"})", {"a"}},
        UsersCase{"NonStringsBecomeEmpty",
                  R"({"users": [1, "b", null, true, ["c"]]})",
                  {"", "b", "", "", ""}},
        UsersCase{"EmptyArray", R"({"users": []})", {}},
        UsersCase{"ObjectInsteadOfArray", R"({"users": {"a": "b"}})", {}},
        UsersCase{"Text", R"({"users": "a"})", {}}, UsersCase{"Absent", R"({"userCount": 2})", {}},
        UsersCase{"HostStorageMemberReplaced", R"({"users": ["x"], "_quon_data": [1, 2]})", {"x"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MetadataJson, ItemsStartFromTheItemDefaults) {
  json data = json::parse(R"({"items": [{"key": "a"}]})");
  const sdk::Metadata m = readFrom<sdk::Metadata>(data);
  EXPECT_EQ(m.majorRevision, -1);
  ASSERT_EQ(m.itemCount, 1u);
  EXPECT_EQ(m.items[0].key, data["items"][0]["key"].get_ref<const std::string&>().c_str());
  EXPECT_EQ(m.items[0].value, nullptr);
  EXPECT_EQ(m.items[0].authorUserId, nullptr);
  EXPECT_EQ(m.items[0].revision, -1);
  EXPECT_EQ(m.items[0].updateTs, 0);
  ASSERT_TRUE(data["_quon_data"].contains("items"));
  EXPECT_EQ(data["_quon_data"]["items"].get_ref<const std::string&>().size(),
            sizeof(sdk::MetadataItem));
}

TEST(MetadataJson, NonObjectItemsStayAtDefaultsAndHostCountIsIgnored) {
  json data = json::parse(
      R"({"majorRevision": 3.7, "itemCount": 9, "items": [7, {"value": "v", "revision": 2}]})");
  const sdk::Metadata m = readFrom<sdk::Metadata>(data);
  EXPECT_EQ(m.majorRevision, 3);
  ASSERT_EQ(m.itemCount, 2u);
  EXPECT_EQ(m.items[0].key, nullptr);
  EXPECT_EQ(m.items[0].revision, -1);
  EXPECT_STREQ(m.items[1].value, "v");
  EXPECT_EQ(m.items[1].revision, 2);
  EXPECT_EQ(m.items[1].updateTs, 0);
}

TEST(MetadataJson, ItemsThatAreNotANonEmptyArrayGiveNull) {
  for (const char* text : {R"({"items": []})", R"({"items": {"key": "a"}})", R"({"items": 2})"}) {
    json data = json::parse(text);
    const sdk::Metadata m = readFrom<sdk::Metadata>(data);
    EXPECT_EQ(m.items, nullptr) << text;
    EXPECT_EQ(m.itemCount, 0u) << text;
    EXPECT_FALSE(data.contains("_quon_data")) << text;
  }
}

TEST(MetadataJson, ReadingAgainReplacesTheBlock) {
  json data = json::parse(R"({"items": [{"key": "a"}, {"key": "b"}]})");
  readFrom<sdk::Metadata>(data);
  const sdk::Metadata again = readFrom<sdk::Metadata>(data);
  ASSERT_EQ(again.itemCount, 2u);
  EXPECT_STREQ(again.items[1].key, "b");
  EXPECT_EQ(static_cast<const void*>(again.items),
            data["_quon_data"]["items"].get_ref<const std::string&>().data());
}

}  // namespace
