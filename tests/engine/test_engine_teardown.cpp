// Destroying the engine releases the SDK client while the event bridge still
// exists, and nothing reaches the SDK afterwards.
#include <gtest/gtest.h>

#include "quon_event_handler.h"
#include "src/kiv/src/event/quon_event_handler_manager.h"
#include "support/engine_harness.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

struct CountingSink : QuonEventHandler {
  void OnEvent(EventParam*) override { ++events; }
  int events = 0;
};

TEST(EngineTeardown, ReleasesTheClientBeforeTheBridgeGoes) {
  FakeEngine engine;
  CountingSink sink;
  ASSERT_EQ(engine.createClient(&sink).code, 0);
  ASSERT_EQ(engine.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})").code,
            0);
  RecordingSdk& sdk = engine.sdk();
  auto* bridge = dynamic_cast<QuonEventHandlerManager*>(sdk.eventHandler());
  ASSERT_NE(bridge, nullptr);
  sdk.clearCalls();

  // While the client is released, the bridge still holds the host sink and
  // delivers what the SDK reports.
  bool bridgeHeldSink = false;
  sdk.setCallHook([&](const SdkCall& call) {
    if (call.op != "IKivClient::release") return;
    bridgeHeldSink = !bridge->isEmpty();
    sdk.eventHandler()->onLogoutResult(3, 0);
  });
  engine.destroy();
  sdk.setCallHook(nullptr);

  const auto calls = sdk.calls();
  ASSERT_EQ(calls.size(), 1u);  // a stream channel is not released by teardown
  EXPECT_EQ(calls[0].op, "IKivClient::release");
  EXPECT_TRUE(bridgeHeldSink);
  EXPECT_EQ(sink.events, 1);
}

TEST(EngineTeardown, ReleasedClientIsNotReleasedAgain) {
  FakeEngine engine;
  ASSERT_EQ(engine.createClient().code, 0);
  ASSERT_EQ(engine.call("KivClient_release").result, R"({"result":0})");
  engine.destroy();
  EXPECT_EQ(engine.sdk().calls("IKivClient::release").size(), 1u);
}

TEST(EngineTeardown, ClientRefusingReleaseIsReleasedAtTeardown) {
  FakeEngine engine;
  ASSERT_EQ(engine.createClient().code, 0);
  engine.sdk().setReturn("IKivClient::release", 9);
  ASSERT_EQ(engine.call("KivClient_release").result, R"({"result":9})");
  engine.destroy();
  EXPECT_EQ(engine.sdk().calls("IKivClient::release").size(), 2u);
}

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
