// The client module: creating and releasing the SDK client, the host sinks
// handed to the event bridge, and the settings it passes to the library log.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "common/utils/quon_logger.h"
#include "modules/module_fixture.h"
#include "quon_event_handler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

// A host sink that counts the events it receives.
struct CountingSink : QuonEventHandler {
  void OnEvent(EventParam*) override { ++events; }
  std::atomic<int> events{0};
};

json address(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

class ClientModule : public EngineFixture<> {
 protected:
  // An event raised through the handler the client module gave the SDK.
  void fireEvent() {
    ASSERT_NE(sdk().eventHandler(), nullptr);
    sdk().eventHandler()->onLoginResult(7, 0);
  }
  ApiReply create(QuonEventHandlerHandle sink = nullptr, const char* params = nullptr) {
    return engine_.createClient(sink, params);
  }
};

TEST_F(ClientModule, CreateTwiceReleasesTheFirstClientBeforeMakingTheSecond) {
  CountingSink sink;
  ASSERT_EQ(create(&sink).code, 0);
  startRecording();
  ASSERT_EQ(create(&sink).result, R"({"errorCode":0,"result":0})");
  const auto calls = sdk().calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].op, "IKivClient::release");
  EXPECT_EQ(calls[0].target, 1);
  EXPECT_EQ(calls[1].op, "createKivClient");
  // Later calls reach the second client.
  ASSERT_EQ(call("KivClient_logout_90386a9", nullptr).code, 0);
  EXPECT_EQ(sdk().calls("IKivClient::logout").at(0).target, 2);
}

TEST_F(ClientModule, SameSinkTwiceIsRegisteredOnce) {
  CountingSink sink;
  ASSERT_EQ(create(&sink).code, 0);
  ASSERT_EQ(create(&sink).code, 0);
  fireEvent();
  EXPECT_EQ(sink.events, 1);
}

TEST_F(ClientModule, TwoSinksAreBothKept) {
  CountingSink first, second;
  ASSERT_EQ(create(&first).code, 0);
  ASSERT_EQ(create(&second).code, 0);
  fireEvent();
  EXPECT_EQ(first.events, 1);
  EXPECT_EQ(second.events, 1);
}

TEST_F(ClientModule, CreateWithoutSinkClearsTheSinks) {
  CountingSink first, second;
  ASSERT_EQ(create(&first).code, 0);
  ASSERT_EQ(create(&second).code, 0);
  ASSERT_EQ(create(nullptr, R"({"config":{}})").code, 0);
  fireEvent();
  EXPECT_EQ(first.events, 0);
  EXPECT_EQ(second.events, 0);
}

TEST_F(ClientModule, SdkReportsToTheBridgeNeverToTheHostSink) {
  CountingSink sink;
  ASSERT_EQ(create(&sink).code, 0);
  const json config = sdk().calls("createKivClient").at(0).args["config"];
  EXPECT_NE(sdk().eventHandler(), nullptr);
  EXPECT_EQ(config["eventHandler"], address(sdk().eventHandler()));
  EXPECT_NE(config["eventHandler"], address(static_cast<QuonEventHandler*>(&sink)));
  // The same bridge serves the next client.
  ::velmo::kiv::IKivEventHandler* bridge = sdk().eventHandler();
  ASSERT_EQ(create(&sink).code, 0);
  EXPECT_EQ(sdk().eventHandler(), bridge);
}

TEST_F(ClientModule, CreateWithoutParametersUsesDefaults) {
  QuonLogger& logger = QuonLogger::instance();
  logger.setLogLevel(spdlog::level::warn);
  logger.setMaxFileSize(777777);
  ASSERT_EQ(create().result, R"({"errorCode":0,"result":0})");

  json expected = describeRecord(::velmo::kiv::KivConfig{});
  expected["eventHandler"] = address(sdk().eventHandler());
  EXPECT_EQ(sdk().calls("createKivClient").at(0).args["config"], expected);
  EXPECT_EQ(logger.level(), spdlog::level::info);
  EXPECT_EQ(logger.maxFileSize(), 1024u * 1024u);
}

TEST_F(ClientModule, CreateReadsTheConfigAndItsLogSettings) {
  const ApiReply reply = create(nullptr, R"({"config":{"appId":"app-1","areaCode":4,
      "logConfig":{"level":2,"fileSizeInKB":1}}})");
  ASSERT_EQ(reply.code, 0);
  const json config = sdk().calls("createKivClient").at(0).args["config"];
  EXPECT_EQ(config["appId"], "app-1");
  EXPECT_EQ(config["userId"], nullptr);
  EXPECT_EQ(config["areaCode"], 4);
  EXPECT_EQ(config["logConfig"], json::parse(R"({"filePath":null,"fileSizeInKB":1,"level":2})"));
  EXPECT_EQ(QuonLogger::instance().level(), spdlog::level::warn);
  EXPECT_EQ(QuonLogger::instance().maxFileSize(), 1024u);
}

TEST_F(ClientModule, ConfigThatIsNotAnObjectKeepsTheDefaults) {
  ASSERT_EQ(create(nullptr, R"({"config":"x"})").result, R"({"errorCode":0,"result":0})");
  json expected = describeRecord(::velmo::kiv::KivConfig{});
  expected["eventHandler"] = address(sdk().eventHandler());
  EXPECT_EQ(sdk().calls("createKivClient").at(0).args["config"], expected);
}

TEST_F(ClientModule, FailedCreationAnswersZeroWithTheErrorAndLeavesNoClient) {
  createClient();
  sdk().failClientCreation(-17);
  startRecording();
  EXPECT_EQ(create().result, R"({"errorCode":-17,"result":-17})");
  ASSERT_EQ(sdk().calls().size(), 2u);
  EXPECT_EQ(sdk().calls()[0].op, "IKivClient::release");
  const ApiReply login = call("KivClient_login_1fa04dd", R"({"token":"t"})");
  EXPECT_EQ(login.code, -7);
  EXPECT_EQ(login.result, "null");
}

// A host table without a factory function cannot make a client; it is
// reported like a failed creation instead of being called.
TEST(ClientModuleFactory, TableWithoutFactoryFunctionReportsMinusSeven) {
  const KivProcTable empty{nullptr};
  QuonKivEngineHandle engine = CreateQuonKivEngineWithProcTable(&empty);
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(callApi(engine, "KivClient_create", nullptr).result, R"({"errorCode":-7,"result":-7})");
  EXPECT_EQ(callApi(engine, "KivClient_logout_90386a9", nullptr).code, -7);
  DestroyQuonKivEngine(engine);
}

TEST_F(ClientModule, ReleaseTwiceAnswersMinusSevenTheSecondTime) {
  createClient();
  sdk().setReturn("IKivClient::release", 0);
  EXPECT_EQ(call("KivClient_release", nullptr).result, R"({"result":0})");
  const ApiReply second = call("KivClient_release", nullptr);
  EXPECT_EQ(second.code, -7);
  EXPECT_EQ(second.result, "null");
  EXPECT_EQ(sdk().calls("IKivClient::release").size(), 1u);
}

TEST_F(ClientModule, RefusedReleaseKeepsTheClient) {
  createClient();
  sdk().setReturn("IKivClient::release", 5);
  EXPECT_EQ(call("KivClient_release", nullptr).result, R"({"result":5})");
  EXPECT_EQ(call("KivClient_logout_90386a9", nullptr).code, 0);
}

TEST_F(ClientModule, LoginWithNumericTokenRefused) {
  createClient();
  startRecording();
  EXPECT_EQ(call("KivClient_login_1fa04dd", R"({"token":12})").code, -2);
  EXPECT_EQ(sdk().callCount(), 0u);
}

TEST_F(ClientModule, PublishPayloadComesFromTheCallsBuffer) {
  createClient();
  startRecording();
  char payload[] = "abc";
  const ApiReply reply =
      callApi(engine_.handle(), "KivClient_publish_2d36e93",
              R"({"channelName":"c","message":1,"length":3,"option":{}})", {payload});
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(sdk().calls("IKivClient::publish").at(0).args["message"], address(payload));
}

TEST_F(ClientModule, SetAppTypeChecksItsKeyBeforeTheClient) {
  EXPECT_EQ(call("KivClient_setAppType", R"({"appType":"7"})").code, -2);
  EXPECT_EQ(call("KivClient_setAppType", R"({"appType":7})").code, -7);
  createClient();
  startRecording();
  EXPECT_EQ(call("KivClient_setAppType", R"({"appType":-3.9})").result, R"({"result":23})");
  EXPECT_EQ(sdk().calls().at(0).args["parameters"], "{\"kiv.app_type\": -3}");
}

// ---- the log-filter rule of "KivClient_setParameters_3a2037f" -----------------

struct FilterCase {
  const char* name;
  const char* parameters;
  bool debugBefore;
  bool debugAfter;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class LogFilter : public EngineFixture<::testing::TestWithParam<FilterCase>> {};

TEST_P(LogFilter, SwitchesDebugModeOnlyForANumericFilter) {
  const FilterCase& c = GetParam();
  createClient();
  startRecording();
  QuonLogger::instance().setDebugMode(c.debugBefore);
  const std::string params = json{{"parameters", c.parameters}}.dump();
  const ApiReply reply = call("KivClient_setParameters_3a2037f", params.c_str());
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.result, R"({"result":23})");
  EXPECT_EQ(sdk().calls().at(0).args["parameters"], c.parameters);
  EXPECT_EQ(QuonLogger::instance().debugMode(), c.debugAfter);
}

const FilterCase kFilterCases[] = {
    {"AllBitsOn", R"({"kiv.log_filter": 2063})", false, true},
    {"MoreBitsOn", R"({"kiv.log_filter": 4095})", false, true},
    {"SomeBitsOff", R"({"kiv.log_filter": 15})", true, false},
    {"NotANumberKeepsOn", R"({"kiv.log_filter": "2063"})", true, true},
    {"NotANumberKeepsOff", R"({"kiv.log_filter": "2063"})", false, false},
    {"NotJsonKeepsOn", "kiv.log_filter=15", true, true},
    {"NotJsonKeepsOff", "kiv.log_filter=2063", false, false},
    {"OtherKeyKeepsOn", R"({"kiv.other": 15})", true, true},
};

INSTANTIATE_TEST_SUITE_P(All, LogFilter, ::testing::ValuesIn(kFilterCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the log setters ----------------------------------------------------------

struct LevelCase {
  int given;
  int expected;  // on the logger's scale
};

void PrintTo(const LevelCase& c, std::ostream* os) { *os << "level " << c.given; }

class LogLevel : public EngineFixture<::testing::TestWithParam<LevelCase>> {};

TEST_P(LogLevel, MapsTheSdkLevel) {
  createClient();
  QuonLogger::instance().setLogLevel(spdlog::level::debug);
  const std::string params = json{{"level", GetParam().given}}.dump();
  EXPECT_EQ(call("KivClient_setLogLevel", params.c_str()).result, R"({"result":0})");
  EXPECT_EQ(QuonLogger::instance().level(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, LogLevel,
    ::testing::Values(LevelCase{0, spdlog::level::off}, LevelCase{1, spdlog::level::info},
                      LevelCase{2, spdlog::level::warn}, LevelCase{3, spdlog::level::info},
                      LevelCase{4, spdlog::level::err}, LevelCase{8, spdlog::level::critical},
                      LevelCase{16, spdlog::level::info}, LevelCase{-1, spdlog::level::info}));

TEST_F(ClientModule, LogFileSizeZeroLeavesTheSizeAlone) {
  createClient();
  QuonLogger::instance().setMaxFileSize(12345);
  EXPECT_EQ(call("KivClient_setLogFileSize", R"({"fileSizeInKBytes":0})").result,
            R"({"result":0})");
  EXPECT_EQ(QuonLogger::instance().maxFileSize(), 12345u);
  EXPECT_EQ(call("KivClient_setLogFileSize", R"({"fileSizeInKBytes":3})").result,
            R"({"result":0})");
  EXPECT_EQ(QuonLogger::instance().maxFileSize(), 3072u);
  // The byte count is a 32-bit product: one that wraps to 0 changes nothing
  // rather than asking for a log that cannot hold a line.
  EXPECT_EQ(call("KivClient_setLogFileSize", R"({"fileSizeInKBytes":4194304})").code, 0);
  EXPECT_EQ(QuonLogger::instance().maxFileSize(), 3072u);
  EXPECT_EQ(call("KivClient_setLogFileSize", R"({"fileSizeInKBytes":4194305})").code, 0);
  EXPECT_EQ(QuonLogger::instance().maxFileSize(), 1024u);
}

TEST_F(ClientModule, CreateWithZeroLogSizeLeavesTheSizeAlone) {
  QuonLogger::instance().setMaxFileSize(54321);
  ASSERT_EQ(create(nullptr, R"({"config":{"logConfig":{"fileSizeInKB":0}}})").code, 0);
  EXPECT_EQ(QuonLogger::instance().maxFileSize(), 54321u);
}

TEST_F(ClientModule, LogFileEmptyPathLeavesTheFileAlone) {
  createClient();
  const std::string before = QuonLogger::instance().logFilePath();
  EXPECT_EQ(call("KivClient_setLogFile", R"({"filePath":""})").result, R"({"result":0})");
  EXPECT_EQ(QuonLogger::instance().logFilePath(), before);

  const std::string dir = ::testing::TempDir() + "velmo-kiv-module-logs";
  const std::string params = json{{"filePath", dir}}.dump();
  EXPECT_EQ(call("KivClient_setLogFile", params.c_str()).result, R"({"result":0})");
  EXPECT_EQ(QuonLogger::instance().logFilePath().rfind(dir, 0), 0u)
      << QuonLogger::instance().logFilePath();
}

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
