// How argument values are read: number conversions, booleans, and the arrays
// that presence builds from "items" and "keys" (refused rather than read past
// their end).
#include <gtest/gtest.h>

#include <string>

#include "modules/module_fixture.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

struct ReadCase {
  const char* name;
  const char* api;
  const char* params;
  int code;
  const char* argPointer;  // where to look in the SDK's arguments; null: no SDK call
  const char* expected;    // the JSON value found there
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ArgumentReading : public EngineFixture<::testing::TestWithParam<ReadCase>> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    createClient();
    startRecording();
  }
};

TEST_P(ArgumentReading, SdkReceivesTheConvertedValue) {
  const ReadCase& c = GetParam();
  const ApiReply reply = call(c.api, c.params);
  EXPECT_EQ(reply.code, c.code);
  const auto calls = sdk().calls();
  if (!c.argPointer) {
    EXPECT_EQ(reply.result, "null");
    EXPECT_TRUE(calls.empty());
    return;
  }
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args.at(json::json_pointer(c.argPointer)), json::parse(c.expected));
}

const ReadCase kNumberCases[] = {
    {"ChannelTypeTruncated", "KivLock_getLocks_ad8568b", R"({"channelName":"c","channelType":1.9})",
     0, "/channelType", "1"},
    {"NegativeChannelTypeTruncatedTowardZero", "KivLock_getLocks_ad8568b",
     R"({"channelName":"c","channelType":-1.9})", 0, "/channelType", "-1"},
    {"HugeChannelTypeSaturates", "KivLock_getLocks_ad8568b",
     R"({"channelName":"c","channelType":1e300})", 0, "/channelType", "2147483647"},
    {"HugeNegativeChannelTypeSaturates", "KivLock_getLocks_ad8568b",
     R"({"channelName":"c","channelType":-1e300})", 0, "/channelType", "-2147483648"},
    {"WideIntegerChannelTypeKeepsLowBits", "KivLock_getLocks_ad8568b",
     R"({"channelName":"c","channelType":4294967297})", 0, "/channelType", "1"},
    {"ChannelTypeGivenAsTwoPointZero", "KivHistory_getMessages_e5877fc",
     R"({"channelName":"c","channelType":2.0,"options":{}})", 0, "/channelType", "2"},
    {"ChannelTypeAsStringRefused", "KivLock_getLocks_ad8568b",
     R"({"channelName":"c","channelType":"1"})", -2, nullptr, nullptr},
    {"TtlTruncated", "KivLock_setLock_89e5672",
     R"({"channelName":"c","channelType":1,"lockName":"L","ttl":10.7})", 0, "/ttl", "10"},
    {"NegativeTtlSaturatesAtZero", "KivLock_setLock_89e5672",
     R"({"channelName":"c","channelType":1,"lockName":"L","ttl":-3.5})", 0, "/ttl", "0"},
    {"WideTtlKeepsLowBits", "KivLock_setLock_89e5672",
     R"({"channelName":"c","channelType":1,"lockName":"L","ttl":4294967301})", 0, "/ttl", "5"},
    {"RetryAsNumberRefused", "KivLock_acquireLock_cd2dbc2",
     R"({"channelName":"c","channelType":1,"lockName":"L","retry":1})", -2, nullptr, nullptr},
    {"RetryTrue", "KivLock_acquireLock_cd2dbc2",
     R"({"channelName":"c","channelType":1,"lockName":"L","retry":true})", 0, "/retry", "true"},
    {"PublishLengthTruncated", "KivClient_publish_2d36e93",
     R"({"channelName":"c","message":16,"length":3.9,"option":{}})", 0, "/length", "3"},
    {"PublishOptionsRead", "KivClient_publish_2d36e93",
     R"({"channelName":"c","message":16,"length":1,"option":{"channelType":2,"messageType":1,
         "customType":"ct","storeInHistory":true}})",
     0, "/options", R"({"channelType":2,"messageType":1,"customType":"ct","storeInHistory":true})"},
    {"MessageCountKeepsLowSixteenBits", "KivHistory_getMessages_e5877fc",
     R"({"channelName":"c","channelType":1,"options":{"messageCount":65537}})", 0,
     "/options/messageCount", "1"},
    {"MessageCountZero", "KivHistory_getMessages_e5877fc",
     R"({"channelName":"c","channelType":1,"options":{"messageCount":0}})", 0,
     "/options/messageCount", "0"},
    {"HistoryOptionsMissingRefused", "KivHistory_getMessages_e5877fc",
     R"({"channelName":"c","channelType":1})", -2, nullptr, nullptr},
    {"EndTextWins", "KivHistory_getMessages_e5877fc",
     R"({"channelName":"c","channelType":1,"options":{"end":1,
         "end_str":"18446744073709551615"}})",
     0, "/options/end", "18446744073709551615"},
    {"StorageDataAsArrayRefused", "KivStorage_setUserMetadata_24ae125",
     R"({"userId":"u","data":[],"options":{}})", -2, nullptr, nullptr},
    {"StorageWithoutLockNameRefused", "KivStorage_setChannelMetadata_55e6d00",
     R"({"channelName":"c","channelType":1,"data":{},"options":{}})", -2, nullptr, nullptr},
};

const ReadCase kPresenceArrayCases[] = {
    {"SetStateCountBeyondItemsRefused", "KivPresence_setState_b73723a",
     R"({"channelName":"c","channelType":1,"items":[{"key":"k"}],"count":2})", -2, nullptr,
     nullptr},
    {"SetStateNegativeCountRefused", "KivPresence_setState_b73723a",
     R"({"channelName":"c","channelType":1,"items":[{"key":"k"}],"count":-1})", -2, nullptr,
     nullptr},
    {"SetStateItemsAsObjectRefused", "KivPresence_setState_b73723a",
     R"({"channelName":"c","channelType":1,"items":{"key":"k"},"count":1})", -2, nullptr, nullptr},
    {"SetStateCountZeroSendsNoItems", "KivPresence_setState_b73723a",
     R"({"channelName":"c","channelType":1,"items":[{"key":"k"}],"count":0})", 0, "/count", "0"},
    {"SetStateOddElementsGiveNullFields", "KivPresence_setState_b73723a",
     R"({"channelName":"c","channelType":1,"items":["x",{"key":5,"value":"v"}],"count":2})", 0,
     "/items", R"([{"key":null,"value":null},{"key":null,"value":"v"}])"},
    {"RemoveStateCountBeyondKeysRefused", "KivPresence_removeState_d7033d8",
     R"({"channelName":"c","channelType":1,"count":2,"keys":["a"]})", -2, nullptr, nullptr},
    {"RemoveStateNonStringKeyRefused", "KivPresence_removeState_d7033d8",
     R"({"channelName":"c","channelType":1,"count":2,"keys":["a",5]})", -2, nullptr, nullptr},
    {"RemoveStateIgnoresKeysBeyondCount", "KivPresence_removeState_d7033d8",
     R"({"channelName":"c","channelType":1,"count":1,"keys":["a",5]})", 0, "/keys", R"(["a"])"},
    {"RemoveStateCountZeroSendsNoArray", "KivPresence_removeState_d7033d8",
     R"({"channelName":"c","channelType":1,"count":0,"keys":[]})", 0, "",
     R"({"channelName":"c","channelType":1,"keys":null,"count":0})"},
};

std::string caseName(const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Numbers, ArgumentReading, ::testing::ValuesIn(kNumberCases), caseName);
INSTANTIATE_TEST_SUITE_P(PresenceArrays, ArgumentReading, ::testing::ValuesIn(kPresenceArrayCases),
                         caseName);

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
