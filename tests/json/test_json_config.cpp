// Reading the client configuration ("config" of "KivClient_create").
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "json/json_test_helpers.h"

namespace {

using namespace kivjson;

TEST(KivConfigJson, EmptyObjectGivesEveryDefault) {
  json config = json::object();
  const sdk::KivConfig c = readFrom<sdk::KivConfig>(config);
  EXPECT_EQ(c.appId, nullptr);
  EXPECT_EQ(c.userId, nullptr);
  EXPECT_EQ(c.areaCode, -1);
  EXPECT_EQ(c.protocolType, 0);
  EXPECT_EQ(c.presenceTimeout, 300u);
  EXPECT_EQ(c.heartbeatInterval, 5u);
  EXPECT_EQ(c.reconnectTimeout, 0u);
  EXPECT_EQ(c.context, nullptr);
  EXPECT_TRUE(c.useStringUserId);
  EXPECT_FALSE(c.multipath);
  EXPECT_FALSE(c.ispPolicyEnabled);
  EXPECT_EQ(c.eventHandler, nullptr);
  EXPECT_EQ(c.logConfig.filePath, nullptr);
  EXPECT_EQ(c.logConfig.fileSizeInKB, 1024u);
  EXPECT_EQ(c.logConfig.level, 1);
  EXPECT_EQ(c.proxyConfig.proxyType, 0);
  EXPECT_EQ(c.proxyConfig.server, nullptr);
  EXPECT_EQ(c.proxyConfig.port, 0);
  EXPECT_EQ(c.proxyConfig.account, nullptr);
  EXPECT_EQ(c.proxyConfig.password, nullptr);
  EXPECT_EQ(c.encryptionConfig.encryptionMode, 0);
  EXPECT_EQ(c.encryptionConfig.encryptionKey, nullptr);
  for (uint8_t b : c.encryptionConfig.encryptionSalt) EXPECT_EQ(b, 0);
  EXPECT_EQ(c.privateConfig.serviceType, 0);
  EXPECT_EQ(c.privateConfig.accessPointHosts, nullptr);
  EXPECT_EQ(c.privateConfig.accessPointHostsCount, 0u);
  EXPECT_EQ(config, json::object()) << "reading adds nothing when there are no arrays";
}

TEST(KivConfigJson, EveryKeyReachesItsField) {
  json config = json::parse(R"({
    "appId": "app", "userId": "user", "areaCode": 8, "protocolType": 2,
    "presenceTimeout": 30, "heartbeatInterval": 6, "reconnectTimeout": 7,
    "context": 4096, "useStringUserId": false, "multipath": true, "ispPolicyEnabled": true,
    "eventHandler": 8192,
    "logConfig": {"filePath": "/var/log/k", "fileSizeInKB": 2048, "level": 4},
    "proxyConfig": {"proxyType": 3, "server": "srv", "port": 8080, "account": "acc",
                    "password": "pw"},
    "encryptionConfig": {"encryptionMode": 5, "encryptionKey": "key",
                         "encryptionSalt": [9, 8, 7]},
    "privateConfig": {"serviceType": 11, "accessPointHosts": ["h1", "h2"]}})");
  const sdk::KivConfig c = readFrom<sdk::KivConfig>(config);
  // Strings point into the JSON, they are not copies.
  EXPECT_EQ(c.appId, charsAt(config, "appId"));
  EXPECT_EQ(c.userId, charsAt(config, "userId"));
  EXPECT_EQ(c.areaCode, 8);
  EXPECT_EQ(c.protocolType, 2);
  EXPECT_EQ(c.presenceTimeout, 30u);
  EXPECT_EQ(c.heartbeatInterval, 6u);
  EXPECT_EQ(c.reconnectTimeout, 7u);
  EXPECT_EQ(c.context, fakeAddress<void*>(4096));
  EXPECT_FALSE(c.useStringUserId);
  EXPECT_TRUE(c.multipath);
  EXPECT_TRUE(c.ispPolicyEnabled);
  EXPECT_EQ(c.eventHandler, fakeAddress<sdk::IKivEventHandler*>(8192));
  EXPECT_EQ(c.logConfig.filePath, charsAt(config["logConfig"], "filePath"));
  EXPECT_EQ(c.logConfig.fileSizeInKB, 2048u);
  EXPECT_EQ(c.logConfig.level, 4);
  EXPECT_EQ(c.proxyConfig.proxyType, 3);
  EXPECT_STREQ(c.proxyConfig.server, "srv");
  EXPECT_EQ(c.proxyConfig.port, 8080);
  EXPECT_STREQ(c.proxyConfig.account, "acc");
  EXPECT_STREQ(c.proxyConfig.password, "pw");
  EXPECT_EQ(c.encryptionConfig.encryptionMode, 5);
  EXPECT_STREQ(c.encryptionConfig.encryptionKey, "key");
  EXPECT_EQ(c.encryptionConfig.encryptionSalt[0], 9);
  EXPECT_EQ(c.encryptionConfig.encryptionSalt[2], 7);
  EXPECT_EQ(c.privateConfig.serviceType, 11);
  ASSERT_EQ(c.privateConfig.accessPointHostsCount, 2u);
  EXPECT_EQ(c.privateConfig.accessPointHosts[0],
            config["privateConfig"]["accessPointHosts"][0].get_ref<const std::string&>().c_str());
  EXPECT_STREQ(c.privateConfig.accessPointHosts[1], "h2");
  // The host block lives in the object that held the array, nowhere else.
  EXPECT_TRUE(config["privateConfig"].contains("_quon_data"));
  EXPECT_FALSE(config.contains("_quon_data"));
}

TEST(KivConfigJson, EmbeddedRecordStartsFromItsOwnDefaults) {
  json config = json::parse(R"({"logConfig": {"level": 2}, "proxyConfig": "x"})");
  sdk::KivConfig c;
  c.logConfig.fileSizeInKB = 7;  // not kept: the embedded record is replaced whole
  c.logConfig.filePath = "stale";
  c.proxyConfig.port = 99;  // kept: "proxyConfig" is not an object
  fromJson(config, c);
  EXPECT_EQ(c.logConfig.filePath, nullptr);
  EXPECT_EQ(c.logConfig.fileSizeInKB, 1024u);
  EXPECT_EQ(c.logConfig.level, 2);
  EXPECT_EQ(c.proxyConfig.port, 99);
}

TEST(KivConfigJson, NonObjectLeavesTheRecordAlone) {
  for (const char* text : {"[]", "\"config\"", "3", "null"}) {
    json config = json::parse(text);
    sdk::KivConfig c;
    c.appId = "kept";
    c.presenceTimeout = 1;
    fromJson(config, c);
    EXPECT_STREQ(c.appId, "kept") << text;
    EXPECT_EQ(c.presenceTimeout, 1u) << text;
    EXPECT_EQ(config, json::parse(text)) << text;
  }
}

// One scalar of the configuration read from one "config" object.
struct ScalarCase {
  const char* name;
  const char* config;
  std::function<long long(const sdk::KivConfig&)> field;
  long long expected;
};

void PrintTo(const ScalarCase& row, std::ostream* os) { *os << row.name; }

class KivConfigScalar : public ::testing::TestWithParam<ScalarCase> {};

TEST_P(KivConfigScalar, ConvertsOrKeepsTheDefault) {
  json config = json::parse(GetParam().config);
  EXPECT_EQ(GetParam().field(readFrom<sdk::KivConfig>(config)), GetParam().expected);
}

long long port(const sdk::KivConfig& c) { return c.proxyConfig.port; }
long long useStringUserId(const sdk::KivConfig& c) { return c.useStringUserId; }
long long multipath(const sdk::KivConfig& c) { return c.multipath; }
long long areaCode(const sdk::KivConfig& c) { return c.areaCode; }
long long presenceTimeout(const sdk::KivConfig& c) { return c.presenceTimeout; }
long long logLevel(const sdk::KivConfig& c) { return c.logConfig.level; }
long long logSize(const sdk::KivConfig& c) { return c.logConfig.fileSizeInKB; }
long long logPathIsNull(const sdk::KivConfig& c) { return c.logConfig.filePath == nullptr; }
long long appIdIsNull(const sdk::KivConfig& c) { return c.appId == nullptr; }
long long appIdLength(const sdk::KivConfig& c) {
  return c.appId ? static_cast<long long>(std::strlen(c.appId)) : -1;
}
long long context(const sdk::KivConfig& c) {
  return static_cast<long long>(reinterpret_cast<uintptr_t>(c.context));
}
long long eventHandler(const sdk::KivConfig& c) {
  return static_cast<long long>(reinterpret_cast<uintptr_t>(c.eventHandler));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KivConfigScalar,
    ::testing::Values(
        ScalarCase{"PortKeepsLow16Bits", R"({"proxyConfig": {"port": 70000}})", port, 4464},
        ScalarCase{"PortFloatSaturates", R"({"proxyConfig": {"port": 70000.5}})", port, 65535},
        ScalarCase{"PortNegativeFloatIsZero", R"({"proxyConfig": {"port": -3.5}})", port, 0},
        ScalarCase{"NumberIsNotABoolean", R"({"useStringUserId": 0})", useStringUserId, 1},
        ScalarCase{"TextIsNotABoolean", R"({"useStringUserId": "false"})", useStringUserId, 1},
        ScalarCase{"FalseIsRead", R"({"useStringUserId": false})", useStringUserId, 0},
        ScalarCase{"OneIsNotTrue", R"({"multipath": 1})", multipath, 0},
        ScalarCase{"EnumTruncatesFloat", R"({"areaCode": 1.9})", areaCode, 1},
        ScalarCase{"EnumTruncatesNegativeFloat", R"({"areaCode": -2.7})", areaCode, -2},
        ScalarCase{"EnumKeepsLow32Bits", R"({"areaCode": 4294967295})", areaCode, -1},
        ScalarCase{"EnumHugeFloatSaturates", R"({"areaCode": 1e12})", areaCode, 2147483647},
        ScalarCase{"EnumFromTextIgnored", R"({"areaCode": "3"})", areaCode, -1},
        ScalarCase{"U32KeepsLow32Bits", R"({"presenceTimeout": 4294967301})", presenceTimeout, 5},
        ScalarCase{"U32TruncatesFloat", R"({"presenceTimeout": 3.9})", presenceTimeout, 3},
        ScalarCase{"U32NegativeFloatIsZero", R"({"presenceTimeout": -1.5})", presenceTimeout, 0},
        ScalarCase{"U32HugeFloatSaturates", R"({"presenceTimeout": 1e20})", presenceTimeout,
                   4294967295LL},
        ScalarCase{"U32NullIgnored", R"({"presenceTimeout": null})", presenceTimeout, 300},
        ScalarCase{"LogConfigAsTextIgnored", R"({"logConfig": "x"})", logLevel, 1},
        ScalarCase{"LogConfigAsTextKeepsSize", R"({"logConfig": "x"})", logSize, 1024},
        ScalarCase{"LogConfigAsTextKeepsPath", R"({"logConfig": "x"})", logPathIsNull, 1},
        ScalarCase{"NestedLevelOnly", R"({"logConfig": {"level": 2}})", logLevel, 2},
        ScalarCase{"NestedLevelOnlyKeepsSize", R"({"logConfig": {"level": 2}})", logSize, 1024},
        ScalarCase{"StringFromNumberIgnored", R"({"appId": 5})", appIdIsNull, 1},
        ScalarCase{"EmptyStringIsNotNull", R"({"appId": ""})", appIdLength, 0},
        ScalarCase{"ContextFromNumber", R"({"context": 4096})", context, 4096},
        ScalarCase{"ContextFromTextIgnored", R"({"context": "4096"})", context, 0},
        ScalarCase{"ContextTwinNotRead", R"({"context_str": "4096"})", context, 0},
        ScalarCase{"HandlerFromNumber", R"({"eventHandler": 12345})", eventHandler, 12345},
        ScalarCase{"HandlerNegativeFloatIsNull", R"({"eventHandler": -1.5})", eventHandler, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct SaltCase {
  const char* name;
  std::string salt;
  std::vector<uint8_t> leading;  // the bytes that follow are all 0
};

void PrintTo(const SaltCase& row, std::ostream* os) { *os << row.name; }

class EncryptionSalt : public ::testing::TestWithParam<SaltCase> {};

TEST_P(EncryptionSalt, ConvertsEachElementToAByte) {
  json config = json::parse(std::string(R"({"encryptionConfig": {"encryptionSalt": )") +
                            GetParam().salt + "}}");
  const sdk::KivConfig c = readFrom<sdk::KivConfig>(config);
  std::array<uint8_t, 32> expected{};
  std::copy(GetParam().leading.begin(), GetParam().leading.end(), expected.begin());
  std::array<uint8_t, 32> actual{};
  std::copy(std::begin(c.encryptionConfig.encryptionSalt),
            std::end(c.encryptionConfig.encryptionSalt), actual.begin());
  EXPECT_EQ(actual, expected);
}

std::string numbersFrom1To(int n) {
  std::string text = "[";
  for (int i = 1; i <= n; ++i) text += std::to_string(i) + (i < n ? "," : "]");
  return text;
}

std::vector<uint8_t> bytesFrom1To(int n) {
  std::vector<uint8_t> bytes;
  for (int i = 1; i <= n; ++i) bytes.push_back(static_cast<uint8_t>(i));
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncryptionSalt,
    ::testing::Values(
        SaltCase{"BooleanAndFloatAndWrap", "[256, 1.7, true]", {0, 1, 1}},
        SaltCase{"FortyElementsUseTheFirst32", numbersFrom1To(40), bytesFrom1To(32)},
        SaltCase{"Exactly32", numbersFrom1To(32), bytesFrom1To(32)},
        SaltCase{
            "NonNumbersGiveZero", R"(["x", null, 5, {}, [1], false, 6])", {0, 0, 5, 0, 0, 0, 6}},
        SaltCase{"LowBitsOfIntegersAndIntegerParts", "[-1, 511, -0.5, 300.9]", {255, 255, 0, 44}},
        SaltCase{"HugeFloatsDoNotCrash", "[1e300, -1e300, 3]", {255, 0, 3}},
        SaltCase{"EmptyArray", "[]", {}}, SaltCase{"Object", R"({"0": 1})", {}},
        SaltCase{"Number", "7", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// "accessPointHosts": the count is the array's length, never a host-given count.
struct HostsCase {
  const char* name;
  const char* privateConfig;
  std::vector<std::string> hosts;  // empty: null pointer and count 0
};

void PrintTo(const HostsCase& row, std::ostream* os) { *os << row.name; }

class AccessPointHosts : public ::testing::TestWithParam<HostsCase> {};

TEST_P(AccessPointHosts, ReadsTheArrayIntoTheObjectThatHeldIt) {
  json config = json::parse(std::string(R"({"privateConfig": )") + GetParam().privateConfig + "}");
  const sdk::KivConfig c = readFrom<sdk::KivConfig>(config);
  const json& holder = config["privateConfig"];
  const std::vector<std::string>& hosts = GetParam().hosts;
  ASSERT_EQ(c.privateConfig.accessPointHostsCount, hosts.size());
  if (hosts.empty()) {
    EXPECT_EQ(c.privateConfig.accessPointHosts, nullptr);
    EXPECT_FALSE(holder.contains("_quon_data"));
    return;
  }
  ASSERT_NE(c.privateConfig.accessPointHosts, nullptr);
  for (size_t i = 0; i < hosts.size(); ++i) {
    ASSERT_NE(c.privateConfig.accessPointHosts[i], nullptr) << i;
    EXPECT_EQ(c.privateConfig.accessPointHosts[i], hosts[i]) << i;
  }
  ASSERT_TRUE(holder["_quon_data"].contains("accessPointHosts"));
  EXPECT_EQ(holder["_quon_data"]["accessPointHosts"].get_ref<const std::string&>().size(),
            hosts.size() * sizeof(const char*));
  EXPECT_EQ(static_cast<const void*>(c.privateConfig.accessPointHosts),
            holder["_quon_data"]["accessPointHosts"].get_ref<const std::string&>().data());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccessPointHosts,
    ::testing::Values(HostsCase{"CountFromTheArrayNotTheHost",
                                R"({"accessPointHosts": ["a", "b"], "accessPointHostsCount": 5})",
                                {"a", "b"}},
                      HostsCase{"NonStringsBecomeEmpty",
                                R"({"accessPointHosts": ["a", 1, null, {}, ""]})",
                                {"a", "", "", "", ""}},
                      HostsCase{"EmptyArray", R"({"accessPointHosts": []})", {}},
                      HostsCase{"ObjectInsteadOfArray", R"({"accessPointHosts": {"0": "a"}})", {}},
                      HostsCase{
                          "Text", R"({"accessPointHosts": "a", "accessPointHostsCount": 1})", {}},
                      HostsCase{"HostSentStorageMemberIsReplaced",
                                R"({"_quon_data": 5, "accessPointHosts": ["x"]})",
                                {"x"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
