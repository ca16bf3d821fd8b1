// The codes of the host boundary, which calls write the result buffer, and
// which module a name reaches.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "quon_event_handler.h"
#include "support/engine_harness.h"
#include "velmo_kiv_sdk/velmo_kiv_sdk.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

struct BoundaryCase {
  const char* api;
  const char* params;
  int code;
  const char* result;
};

class EngineRouting : public ::testing::Test {
 protected:
  FakeEngine engine_;
};

TEST_F(EngineRouting, AnswersTheCodesOfTheBoundary) {
  const BoundaryCase cases[] = {
      {"NoUnderscore", "{}", -4, kUntouched},
      {"Unknown_prefix", "{}", -4, kUntouched},
      {"kivclient_login_1fa04dd", R"({"token":"abc"})", -4, kUntouched},
      {"_login", "{}", -4, kUntouched},
      {"KivClient_login", "{}", -1009, "null"},
      {"KivClient_login_1fa04dd", R"({"token":"abc"})", -7, "null"},
      {"KivClient_create", "{", -2, kUntouched},
      {"KivStorage_getUserMetadata_1fa04dd", R"({"userId":)", -2, kUntouched},
      {"KivLock_nothing", nullptr, -1009, "null"},
  };
  for (const BoundaryCase& c : cases) {
    const ApiReply reply = callApi(engine_.handle(), c.api, c.params);
    EXPECT_EQ(reply.code, c.code) << c.api;
    EXPECT_EQ(reply.result, c.result) << c.api;
  }
  EXPECT_EQ(engine_.sdk().callCount(), 0u);
}

TEST_F(EngineRouting, NullEngineOrRecordAnswersWithoutWriting) {
  char buffer[QUON_KIV_RESULT_BUFFER_SIZE];
  std::strcpy(buffer, kUntouched);
  ApiParam param{};
  param.apiName = "KivClient_logout_90386a9";
  param.resultBuffer = buffer;
  EXPECT_EQ(CallQuonKivApi(nullptr, &param), -1);
  EXPECT_EQ(CallQuonKivApi(engine_.handle(), nullptr), -2);

  param.apiName = nullptr;
  EXPECT_EQ(CallQuonKivApi(engine_.handle(), &param), -2);
  EXPECT_STREQ(buffer, kUntouched);

  // A client exists, so only the missing buffer stops the call.
  ASSERT_EQ(engine_.createClient().code, 0);
  engine_.sdk().clearCalls();
  param.apiName = "KivClient_logout_90386a9";
  param.resultBuffer = nullptr;
  EXPECT_EQ(CallQuonKivApi(engine_.handle(), &param), -2);
  EXPECT_EQ(engine_.sdk().callCount(), 0u);
}

TEST_F(EngineRouting, CreateStreamChannelIsAnsweredByTheStreamChannelModule) {
  ASSERT_EQ(engine_.createClient().code, 0);
  // The client module's own entry would answer 1 without calling the SDK.
  const ApiReply reply =
      engine_.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})");
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.result, R"({"errorCode":0,"result":0})");
  EXPECT_EQ(engine_.sdk().calls("IKivClient::createStreamChannel").size(), 1u);
}

// ---- exports and their lower-case twins ----------------------------------------

TEST(EngineExports, LowerCaseTwinsBehaveAsTheUpperCase) {
  using CreateFn = QuonKivEngineHandle (*)(QuonKivClientPtr);
  using DestroyFn = void (*)(QuonKivEngineHandle);
  const struct {
    CreateFn create;
    DestroyFn destroy;
  } pairs[] = {{&CreateQuonKivEngine, &DestroyQuonKivEngine},
               {&createQuonKivClient, &destroyQuonKivClient}};
  for (const auto& pair : pairs) {
    RecordingSdk sdk;
    QuonKivEngineHandle engine = pair.create(sdk.newClient());
    ASSERT_NE(engine, nullptr);
    // The given client is the module's own: used at once, released at the end.
    EXPECT_EQ(callApi(engine, "KivClient_logout_90386a9", nullptr).code, 0);
    pair.destroy(engine);
    const auto calls = sdk.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].op, "IKivClient::logout");
    EXPECT_EQ(calls[1].op, "IKivClient::release");
  }
  DestroyQuonKivEngine(nullptr);
  destroyQuonKivClient(nullptr);

  for (int code : {0, 1, -7, 123456}) {
    EXPECT_STREQ(getQuonKivErrorReason(code), GetQuonKivErrorReason(code));
    EXPECT_STREQ(GetQuonKivErrorReason(code), getKivErrorReason(code));
  }
  int build = -1, sdkBuild = -2;
  EXPECT_STREQ(GetQuonKivVersion(&build), getKivVersion(&sdkBuild));
  EXPECT_EQ(build, sdkBuild);
}

int gEventCalls = 0;
EventParam* gLastEvent = nullptr;
void QUON_CALL countEvent(EventParam* event) {
  ++gEventCalls;
  gLastEvent = event;
}

TEST(EngineExports, EventHandlerWrapsTheHostFunction) {
  EXPECT_EQ(CreateQuonKivEventHandler(nullptr), nullptr);

  HostEventCallbacks none{nullptr};
  QuonEventHandlerHandle silent = CreateQuonKivEventHandler(&none);
  ASSERT_NE(silent, nullptr);
  EventParam event{};
  silent->OnEvent(&event);  // does nothing, and does not crash

  HostEventCallbacks callbacks{&countEvent};
  QuonEventHandlerHandle counting = CreateQuonKivEventHandler(&callbacks);
  callbacks.onEvent = nullptr;  // the record is not kept
  counting->OnEvent(&event);
  EXPECT_EQ(gEventCalls, 1);
  EXPECT_EQ(gLastEvent, &event);

  DestroyQuonKivEventHandler(silent);
  DestroyQuonKivEventHandler(counting);
  DestroyQuonKivEventHandler(nullptr);
}

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
