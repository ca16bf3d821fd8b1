// Eight host threads call operations of every module while four SDK threads
// fire callbacks into the bridge. Every call must answer as it does alone;
// every event must reach each of the two sinks exactly once, both sinks in
// the same order, one delivery at a time, each SDK thread's events in the
// order it fired them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <future>
#include <map>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/utils/quon_logger.h"
#include "modules/api_rows.h"
#include "stress/counting_sink.h"
#include "support/engine_harness.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace stress {
namespace {

using fake::ApiReply;
using fake::ApiRow;
namespace sdk = ::velmo::kiv;

constexpr int kHostThreads = 8;
constexpr int kRoundsPerHostThread = 60;
constexpr int kSdkThreads = 4;
constexpr int kEventsPerSdkThread = 2500;

// Every row that leaves the engine as it found it: releasing the client or
// the channel would change what the other threads' calls answer.
std::vector<ApiRow> repeatableRows() {
  std::vector<ApiRow> rows;
  for (const ApiRow& row : fake::allRows()) {
    const std::string api = row.api;
    if (api != "KivClient_release" && api != "StreamChannel_release") rows.push_back(row);
  }
  return rows;
}

// Empty when the reply is the row's answer, else what went wrong.
std::string mismatch(const ApiRow& row, const ApiReply& reply) {
  static const std::regex accepted(R"(\{"requestId":[1-9][0-9]*,"result":0\})");
  const bool resultOk =
      row.result ? reply.result == row.result : std::regex_match(reply.result, accepted);
  if (reply.code == row.code && resultOk) return "";
  return std::string(row.api) + " answered " + std::to_string(reply.code) + " " + reply.result;
}

// Fires one SDK thread's events; returns the keys the sinks must record.
std::vector<std::string> fireEvents(sdk::IKivEventHandler& bridge, int thread) {
  std::vector<std::string> expected;
  const std::string payload = "payload of thread " + std::to_string(thread);
  for (int i = 0; i < kEventsPerSdkThread; ++i) {
    const uint64_t id = (static_cast<uint64_t>(thread + 1) << 32) | static_cast<uint64_t>(i);
    const std::string idText = std::to_string(id);
    switch (i % 5) {
      case 0:
        bridge.onLoginResult(id, 0);
        expected.push_back("KivEventHandler_onLoginResult_4f46899 " + idText);
        break;
      case 1: {
        sdk::MessageEvent event;
        event.channelName = "ch";
        event.message = payload.data();
        event.messageLength = payload.size();
        event.timestamp = id;
        bridge.onMessageEvent(event);
        expected.push_back("KivEventHandler_onMessageEvent_ce5f8f5 " + idText);
        break;
      }
      case 2: {
        sdk::HistoryMessage messages[2];
        messages[0].message = payload.data();
        messages[0].messageLength = 3;
        messages[1].message = payload.data() + 3;
        messages[1].messageLength = 4;
        bridge.onGetHistoryMessagesResult(id, messages, 2, id, 0);
        expected.push_back("KivEventHandler_onGetHistoryMessagesResult_c5dd08c " + idText);
        break;
      }
      case 3: {
        sdk::LockDetail locks[2];
        locks[0].lockName = "a";
        locks[1].lockName = "b";
        bridge.onGetLocksResult(id, "ch", 1, locks, 2, 0);
        expected.push_back("KivEventHandler_onGetLocksResult_6e98f5f " + idText);
        break;
      }
      default:
        bridge.onJoinResult(id, "ch", "user", 0);
        expected.push_back("KivEventHandler_onJoinResult_ce14e01 " + idText);
    }
  }
  return expected;
}

// The keys of `seen` that belong to `mine`, in the order seen.
std::vector<std::string> subsequence(const std::vector<std::string>& seen,
                                     const std::vector<std::string>& mine) {
  std::vector<std::string> sortedMine = mine;
  std::sort(sortedMine.begin(), sortedMine.end());
  std::vector<std::string> out;
  for (const std::string& key : seen)
    if (std::binary_search(sortedMine.begin(), sortedMine.end(), key)) out.push_back(key);
  return out;
}

class StressConcurrentUse : public ::testing::Test {
 protected:
  void SetUp() override {
    sdk().setReturn("IKivClient::setParameters", fake::kClientSetParametersAnswer);
    sdk().setReturn("IStreamChannel::setParameters", fake::kChannelSetParametersAnswer);
    // Two sinks, registered the way a host does: one "KivClient_create" each.
    ASSERT_EQ(engine_.createClient(&first_).code, 0);
    ASSERT_EQ(engine_.createClient(&second_).code, 0);
    ASSERT_EQ(engine_.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})").code,
              0);
    ASSERT_NE(sdk().eventHandler(), nullptr);
  }
  void TearDown() override {
    // The log setters among the rows changed the process-wide log.
    QuonLogger::instance().setDebugMode(false);
    QuonLogger::instance().setLogLevel(spdlog::level::info);
  }

  fake::RecordingSdk& sdk() { return engine_.sdk(); }

  DeliveryWatch watch_;
  CountingSink first_{watch_};
  CountingSink second_{watch_};
  fake::FakeEngine engine_;
};

TEST_F(StressConcurrentUse, CallsAnswerAndEventsReachBothSinksOnceInOneOrder) {
  const std::vector<ApiRow> rows = repeatableRows();
  ASSERT_GT(rows.size(), 40u);
  sdk::IKivEventHandler& bridge = *sdk().eventHandler();

  std::promise<void> startSignal;
  std::shared_future<void> start = startSignal.get_future().share();
  std::mutex problemsMutex;
  std::vector<std::string> problems;

  std::vector<std::future<void>> hosts;
  for (int h = 0; h < kHostThreads; ++h) {
    hosts.push_back(std::async(std::launch::async, [&, h] {
      start.wait();
      for (int round = 0; round < kRoundsPerHostThread; ++round) {
        for (size_t k = 0; k < rows.size(); ++k) {
          const ApiRow& row = rows[(k + static_cast<size_t>(h) * 7) % rows.size()];
          const std::string wrong =
              mismatch(row, fake::callApi(engine_.handle(), row.api, row.params));
          if (!wrong.empty()) {
            std::lock_guard<std::mutex> guard(problemsMutex);
            problems.push_back(wrong);
          }
        }
      }
    }));
  }
  std::vector<std::future<std::vector<std::string>>> firers;
  for (int t = 0; t < kSdkThreads; ++t) {
    firers.push_back(std::async(std::launch::async, [&, t] {
      start.wait();
      return fireEvents(bridge, t);
    }));
  }
  startSignal.set_value();
  for (auto& host : hosts) host.get();
  std::vector<std::vector<std::string>> fired;
  for (auto& firer : firers) fired.push_back(firer.get());

  EXPECT_TRUE(problems.empty()) << problems.size() << " wrong answers, first: " << problems[0];

  const std::vector<std::string> seenFirst = first_.seen();
  const std::vector<std::string> seenSecond = second_.seen();
  EXPECT_EQ(watch_.overlaps.load(), 0) << "deliveries overlapped";
  EXPECT_EQ(seenFirst, seenSecond) << "the sinks saw different events or orders";

  std::vector<std::string> allFired;
  for (const auto& keys : fired) allFired.insert(allFired.end(), keys.begin(), keys.end());
  std::vector<std::string> sortedSeen = seenFirst;
  std::sort(sortedSeen.begin(), sortedSeen.end());
  std::sort(allFired.begin(), allFired.end());
  ASSERT_EQ(allFired.size(), static_cast<size_t>(kSdkThreads * kEventsPerSdkThread));
  EXPECT_EQ(sortedSeen, allFired) << "an event was lost, repeated or altered";

  for (int t = 0; t < kSdkThreads; ++t)
    EXPECT_EQ(subsequence(seenFirst, fired[t]), fired[t]) << "thread " << t << " out of order";
}

}  // namespace
}  // namespace stress
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
