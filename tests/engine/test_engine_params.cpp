// What the engine does with the parameter text and the raw buffers of a call,
// and how it copies the result back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "src/kiv/src/event/quon_event_handler_manager.h"
#include "support/engine_harness.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

json address(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

class EngineParams : public ::testing::Test {
 protected:
  RecordingSdk& sdk() { return engine_.sdk(); }
  QuonKivEngineHandle handle() { return engine_.handle(); }
  void createClientAndChannel() {
    ASSERT_EQ(engine_.createClient().code, 0);
    ASSERT_EQ(
        engine_.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})").result,
        R"({"errorCode":0,"result":0})");
    sdk().clearCalls();
  }
  FakeEngine engine_;
};

TEST_F(EngineParams, CreateWithOnlyABufferRegistersItAsTheSink) {
  HostEventCallbacks callbacks{nullptr};
  QuonEventHandlerHandle sink = CreateQuonKivEventHandler(&callbacks);
  EXPECT_EQ(callApi(handle(), "KivClient_create", nullptr, {sink}).result,
            R"({"errorCode":0,"result":0})");
  auto* sinks = dynamic_cast<QuonEventHandlerManager*>(sdk().eventHandler());
  ASSERT_NE(sinks, nullptr);
  EXPECT_TRUE(sinks->removeEventHandler(sink));
  DestroyQuonKivEventHandler(sink);
}

TEST_F(EngineParams, PayloadBufferReplacesTheMessageKey) {
  createClientAndChannel();
  char payload[] = "xyz";
  ASSERT_EQ(callApi(handle(), "KivClient_publish_2d36e93",
                    R"({"channelName":"c","message":5,"length":3,"option":{}})", {payload})
                .code,
            0);
  ASSERT_EQ(callApi(handle(), "StreamChannel_publishTopicMessage_a31773e",
                    R"({"channelName":"ch","topic":"t","length":3,"option":{}})", {payload})
                .code,
            0);
  const auto calls = sdk().calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].args["message"], address(payload));
  EXPECT_EQ(calls[1].args["message"], address(payload));
}

TEST_F(EngineParams, TwoBuffersLeaveTheMessageToTheJson) {
  createClientAndChannel();
  char a[] = "a", b[] = "b";
  const ApiReply missing = callApi(handle(), "KivClient_publish_2d36e93",
                                   R"({"channelName":"c","length":1,"option":{}})", {a, b});
  EXPECT_EQ(missing.code, -2);
  EXPECT_EQ(missing.result, "null");
  EXPECT_EQ(callApi(handle(), "KivClient_publish_2d36e93",
                    R"({"channelName":"c","message":1234,"length":1,"option":{}})", {a, b})
                .code,
            0);
  EXPECT_EQ(sdk().calls("IKivClient::publish").at(0).args["message"], 1234);
}

TEST_F(EngineParams, HandOverOntoParametersThatAreNotAnObjectIsRefused) {
  createClientAndChannel();
  char buffer[] = "b";
  const struct {
    const char* api;
    const char* params;
  } cases[] = {
      {"KivClient_create", "[1]"},
      {"KivClient_create", "42"},
      {"KivClient_create", R"("text")"},
      {"KivClient_create", R"({"config":5})"},
      {"KivClient_create", R"({"config":"x"})"},
      {"KivClient_create", R"({"config":[]})"},
      {"KivClient_publish_2d36e93", "[]"},
      {"KivClient_publish_2d36e93", "true"},
      {"StreamChannel_publishTopicMessage_a31773e", R"("ch")"},
  };
  for (const auto& c : cases) {
    const ApiReply reply = callApi(handle(), c.api, c.params, {buffer});
    EXPECT_EQ(reply.code, -2) << c.api << " " << c.params;
    EXPECT_EQ(reply.result, kUntouched) << c.api << " " << c.params;
  }
  EXPECT_EQ(sdk().callCount(), 0u);
}

TEST_F(EngineParams, HandOverWithNullBuffersIsRefused) {
  createClientAndChannel();
  for (const char* api : {"KivClient_create", "KivClient_publish_2d36e93",
                          "StreamChannel_publishTopicMessage_a31773e"}) {
    std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE);
    std::strcpy(result.data(), kUntouched);
    const char* params = R"({"channelName":"ch","topic":"t","length":1,"option":{}})";
    ApiParam param{};
    param.apiName = api;
    param.params = params;
    param.paramsLength = static_cast<unsigned>(std::strlen(params));
    param.resultBuffer = result.data();
    param.bufferCount = 1;
    EXPECT_EQ(CallQuonKivApi(handle(), &param), -2) << api;
    EXPECT_STREQ(result.data(), kUntouched) << api;
  }
  EXPECT_EQ(sdk().callCount(), 0u);
}

TEST_F(EngineParams, OnlyParamsLengthBytesAreParsed) {
  createClientAndChannel();
  const std::string text = R"({"token":"abc"}trailing garbage)";
  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE);
  ApiParam param{};
  param.apiName = "KivClient_login_1fa04dd";
  param.params = text.c_str();
  param.resultBuffer = result.data();

  param.paramsLength = 15;  // exactly the object
  EXPECT_EQ(CallQuonKivApi(handle(), &param), 0);
  EXPECT_EQ(sdk().calls("IKivClient::login").at(0).args["token"], "abc");

  std::strcpy(result.data(), kUntouched);
  param.paramsLength = 10;  // a cut-off object
  EXPECT_EQ(CallQuonKivApi(handle(), &param), -2);
  EXPECT_STREQ(result.data(), kUntouched);
}

TEST_F(EngineParams, ZeroParamsLengthMeansNoParameters) {
  createClientAndChannel();
  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE);
  ApiParam param{};
  param.resultBuffer = result.data();
  param.params = "not json at all";
  param.paramsLength = 0;
  param.apiName = "KivClient_logout_90386a9";  // needs nothing
  EXPECT_EQ(CallQuonKivApi(handle(), &param), 0);
  param.params = R"({"token":"abc"})";
  param.apiName = "KivClient_login_1fa04dd";  // sees no token
  EXPECT_EQ(CallQuonKivApi(handle(), &param), -2);
  EXPECT_STREQ(result.data(), "null");
}

TEST_F(EngineParams, LongResultIsCutTo65535Characters) {
  createClientAndChannel();
  sdk().channel(0)->setName(std::string(70000, 'n'));
  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE + 16, '#');
  ApiParam param{};
  const char* params = R"({"channelName":"ch"})";
  param.apiName = "StreamChannel_getChannelName";
  param.params = params;
  param.paramsLength = static_cast<unsigned>(std::strlen(params));
  param.resultBuffer = result.data();
  EXPECT_EQ(CallQuonKivApi(handle(), &param), 0);

  const std::string expected = (R"({"result":")" + std::string(70000, 'n')).substr(0, 65535);
  EXPECT_EQ(std::strlen(result.data()), 65535u);
  EXPECT_EQ(std::string(result.data()), expected);
  EXPECT_EQ(result[65536], '#');  // nothing written past the terminating NUL
}

TEST_F(EngineParams, IllFormedUtf8InAResultIsReplaced) {
  createClientAndChannel();
  sdk().channel(0)->setName(
      std::string("ab\xff"
                  "c\xc3"));
  const ApiReply reply = engine_.call("StreamChannel_getChannelName", R"({"channelName":"ch"})");
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.result,
            "{\"result\":\"ab\xEF\xBF\xBD"
            "c\xEF\xBF\xBD\"}");
}

TEST_F(EngineParams, NonAsciiResultIsRawUtf8) {
  createClientAndChannel();
  sdk().channel(0)->setName(std::string("caf\xC3\xA9"));
  EXPECT_EQ(engine_.call("StreamChannel_getChannelName", R"({"channelName":"ch"})").result,
            "{\"result\":\"caf\xC3\xA9\"}");
}

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
