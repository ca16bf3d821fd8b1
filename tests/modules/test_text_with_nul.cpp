// A text with a NUL character inside ("nul\u0000inside") would reach the SDK
// cut at the NUL. Whichever API name, record and depth it sits at, the call is
// refused with -2 and a null result before the SDK is called, and the error
// line names where the text is.
#include <gtest/gtest.h>

#include <string>

#include "modules/log_capture.h"
#include "modules/module_fixture.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

struct NulCase {
  const char* record;  // where the text sits: an argument key or a record
  const char* api;
  const char* params;
  const char* path;  // how the error line names the text
};

void PrintTo(const NulCase& c, std::ostream* os) { *os << c.record; }

class TextWithNul : public EngineFixture<::testing::TestWithParam<NulCase>> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    createClient();
    createChannel("ch");
    startRecording();
  }
};

TEST_P(TextWithNul, IsRefusedBeforeTheSdkIsCalled) {
  const NulCase& c = GetParam();
  LogCapture log;
  const ApiReply reply = call(c.api, c.params);
  EXPECT_EQ(reply.code, -2);
  EXPECT_EQ(reply.result, "null");
  EXPECT_EQ(sdk().callCount(), 0u);
  EXPECT_TRUE(log.has(spdlog::level::err, "api name " + std::string(c.api) + " key \"" + c.path +
                                              "\" contains a NUL character"));
}

const NulCase kNulCases[] = {
    {"argument", "KivClient_login_1fa04dd", R"({"token":"nul\u0000inside"})", "token"},
    {"channel name creating a channel", "KivClient_createStreamChannel_ae3d0cf",
     R"({"channelName":"ch\u0000x"})", "channelName"},
    {"channel name routing to a channel", "StreamChannel_leave_90386a9",
     R"({"channelName":"ch\u0000"})", "channelName"},
    {"KivConfig", "KivClient_create", R"({"config":{"appId":"nul\u0000inside","userId":"u"}})",
     "config.appId"},
    {"LogConfig", "KivClient_create",
     R"({"config":{"appId":"a","userId":"u","logConfig":{"filePath":"/tmp/a\u0000b"}}})",
     "config.logConfig.filePath"},
    {"ProxyConfig", "KivClient_create", R"({"config":{"proxyConfig":{"password":"\u0000"}}})",
     "config.proxyConfig.password"},
    {"EncryptionConfig", "KivClient_create",
     R"({"config":{"encryptionConfig":{"encryptionKey":"k\u0000"}}})",
     "config.encryptionConfig.encryptionKey"},
    {"PrivateConfig", "KivClient_create",
     R"({"config":{"privateConfig":{"accessPointHosts":["h1","h\u00002"]}}})",
     "config.privateConfig.accessPointHosts[1]"},
    {"PublishOptions", "KivClient_publish_2d36e93",
     R"({"channelName":"c","message":1,"length":0,"option":{"customType":"nul\u0000inside"}})",
     "option.customType"},
    {"JoinChannelOptions", "StreamChannel_join_2090a6b",
     R"({"channelName":"ch","options":{"token":"nul\u0000inside"}})", "options.token"},
    {"JoinTopicOptions", "StreamChannel_joinTopic_ff0ec3f",
     R"({"channelName":"ch","topic":"t","options":{"meta":"nul\u0000inside"}})", "options.meta"},
    {"TopicMessageOptions", "StreamChannel_publishTopicMessage_a31773e",
     R"({"channelName":"ch","topic":"t","message":1,"length":0,)"
     R"("option":{"customType":"nul\u0000inside"}})",
     "option.customType"},
    {"TopicOptions", "StreamChannel_subscribeTopic_b801234",
     R"({"channelName":"ch","topic":"t","options":{"users":["u1","nul\u0000inside"]}})",
     "options.users[1]"},
    {"PresenceOptions", "KivPresence_whoNow_f7f61d1",
     R"({"channelName":"c","channelType":1,"options":{"page":"nul\u0000inside"}})", "options.page"},
    {"GetOnlineUsersOptions", "KivPresence_getOnlineUsers_ce2d8e8",
     R"({"channelName":"c","channelType":1,"options":{"page":"nul\u0000inside"}})", "options.page"},
    {"MetadataItem", "KivStorage_setChannelMetadata_55e6d00",
     R"({"channelName":"c","channelType":1,"data":{"items":[{"key":"k","value":"v"},)"
     R"({"key":"k2","value":"nul\u0000inside"}]},"options":{},"lockName":""})",
     "data.items[1].value"},
    {"StateItem", "KivPresence_setState_b73723a",
     R"({"channelName":"c","channelType":1,"items":[{"key":"nul\u0000inside","value":"v"}],)"
     R"("count":1})",
     "items[0].key"},
    {"state key", "KivPresence_removeState_d7033d8",
     R"({"channelName":"c","channelType":1,"count":2,"keys":["k","nul\u0000inside"]})", "keys[1]"},
};

INSTANTIATE_TEST_SUITE_P(Records, TextWithNul, ::testing::ValuesIn(kNulCases),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
