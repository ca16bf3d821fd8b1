// Destroying the engine releases the SDK client while the event bridge still
// exists, and nothing reaches the SDK afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

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

// ---- lifetime calls from inside the engine's own sink -----------------------

struct LifetimeCall {
  const char* label;
  // Made from inside OnEvent; returns the call's code (0 for the destroy).
  std::function<int(FakeEngine&, QuonEventHandler* sink)> make;
  int code;
};

void PrintTo(const LifetimeCall& c, std::ostream* os) { *os << c.label; }

class LifetimeFromSink : public ::testing::TestWithParam<LifetimeCall> {};

TEST_P(LifetimeFromSink, IsRefusedBeforeAnythingChanges) {
  FakeEngine engine;
  struct : QuonEventHandler {
    std::function<void()> during;
    int events = 0;
    void OnEvent(EventParam*) override {
      ++events;
      if (during) during();
    }
  } sink;
  ASSERT_EQ(engine.createClient(&sink).code, 0);
  RecordingSdk& sdk = engine.sdk();
  ::velmo::kiv::IKivEventHandler* bridge = sdk.eventHandler();
  sdk.clearCalls();

  int code = 1;
  sink.during = [&] { code = GetParam().make(engine, &sink); };
  bridge->onLoginResult(5, 0);
  sink.during = nullptr;
  EXPECT_EQ(code, GetParam().code);

  // Nothing was released or created, the sink is still registered and the
  // engine still answers.
  EXPECT_EQ(sdk.callCount(), 0u);
  EXPECT_EQ(sdk.clientCount(), 1u);
  bridge->onLogoutResult(6, 0);
  EXPECT_EQ(sink.events, 2);
  EXPECT_EQ(engine.call("KivClient_logout_90386a9", "{}").code, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, LifetimeFromSink,
    ::testing::Values(
        LifetimeCall{
            "create",
            [](FakeEngine& e, QuonEventHandler* sink) { return e.createClient(sink).code; }, -7},
        LifetimeCall{"create without a sink",
                     [](FakeEngine& e, QuonEventHandler*) { return e.createClient().code; }, -7},
        LifetimeCall{
            "release",
            [](FakeEngine& e, QuonEventHandler*) { return e.call("KivClient_release").code; }, -7},
        LifetimeCall{"destroy the engine",
                     [](FakeEngine& e, QuonEventHandler*) {
                       DestroyQuonKivEngine(e.handle());
                       return 0;
                     },
                     0}),
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
