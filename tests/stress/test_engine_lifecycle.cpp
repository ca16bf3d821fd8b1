// Engines created, used and destroyed in loops: one after another with the
// whole client life (sink, channel, events), and several side by side on
// their own threads. Under LeakSanitizer every loop must leave nothing behind.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "stress/counting_sink.h"
#include "support/engine_harness.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace stress {
namespace {

constexpr int kSequentialEngines = 500;
constexpr int kParallelThreads = 4;
constexpr int kEnginesPerThread = 200;

TEST(StressEngineLifecycle, EnginesMadeOneAfterAnotherServeTheirWholeLife) {
  DeliveryWatch watch;
  CountingSink sink(watch);
  for (int i = 0; i < kSequentialEngines; ++i) {
    SCOPED_TRACE("engine " + std::to_string(i));
    fake::FakeEngine engine;
    ASSERT_NE(engine.handle(), nullptr);
    ASSERT_EQ(engine.createClient(&sink).code, 0);
    ASSERT_EQ(engine.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})").code,
              0);
    EXPECT_EQ(engine.call("KivClient_login_1fa04dd", R"({"token":"token-123456"})").code, 0);
    EXPECT_EQ(engine.call("StreamChannel_leave_90386a9", R"({"channelName":"ch"})").code, 0);
    EXPECT_EQ(
        engine.call("KivLock_getLocks_ad8568b", R"({"channelName":"c","channelType":1})").code, 0);
    ASSERT_NE(engine.sdk().eventHandler(), nullptr);
    engine.sdk().eventHandler()->onLoginResult(static_cast<uint64_t>(i), 0);
    engine.destroy();
  }
  const std::vector<std::string> seen = sink.seen();
  ASSERT_EQ(seen.size(), static_cast<size_t>(kSequentialEngines));
  EXPECT_EQ(seen.back(),
            "KivEventHandler_onLoginResult_4f46899 " + std::to_string(kSequentialEngines - 1));
  EXPECT_EQ(watch.overlaps.load(), 0);
}

// Each thread owns its fake SDK and hands a client straight to the engine.
TEST(StressEngineLifecycle, EnginesOnSeveralThreadsAtOnce) {
  std::vector<std::unique_ptr<fake::RecordingSdk>> sdks;
  for (int t = 0; t < kParallelThreads; ++t) sdks.push_back(std::make_unique<fake::RecordingSdk>());

  std::vector<std::future<int>> threads;
  for (int t = 0; t < kParallelThreads; ++t) {
    threads.push_back(std::async(std::launch::async, [&sdk = *sdks[t]] {
      int failures = 0;
      for (int i = 0; i < kEnginesPerThread; ++i) {
        QuonKivEngineHandle engine = CreateQuonKivEngine(sdk.newClient());
        if (!engine) return -1;
        const char* calls[][2] = {
            {"KivClient_login_1fa04dd", R"({"token":"abcdefghijkl"})"},
            {"KivStorage_getUserMetadata_1fa04dd", R"({"userId":"u"})"},
            {"KivPresence_whereNow_1fa04dd", R"({"userId":"u"})"},
            {"KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})"},
            {"StreamChannel_join_2090a6b", R"({"channelName":"ch","options":{"token":"t"}})"},
            {"KivHistory_getMessages_e5877fc",
             R"({"channelName":"c","channelType":1,"options":{}})"},
        };
        for (const auto& call : calls)
          if (fake::callApi(engine, call[0], call[1]).code != 0) ++failures;
        DestroyQuonKivEngine(engine);
      }
      return failures;
    }));
  }
  for (int t = 0; t < kParallelThreads; ++t) EXPECT_EQ(threads[t].get(), 0) << "thread " << t;
  // Every engine released the client it was given, once.
  for (const auto& sdk : sdks)
    EXPECT_EQ(sdk->calls("IKivClient::release").size(), static_cast<size_t>(kEnginesPerThread));
}

}  // namespace
}  // namespace stress
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
