// The event path: one SDK callback on the engine's bridge, from the SDK's
// arguments to the host sink (which does nothing), with the log off and at
// its default level.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_world.h"
#include "bench/null_sdk.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

constexpr size_t kPresenceUsers = 1000;
constexpr size_t kHistoryMessages = 100;

::velmo::kiv::IKivEventHandler& bridgeWithLog(LogMode mode) {
  BenchWorld::instance().setLogMode(mode);
  return BenchWorld::instance().bridge();
}

void loginResult(benchmark::State& state, LogMode mode) {
  auto& bridge = bridgeWithLog(mode);
  for (auto _ : state) bridge.onLoginResult(kRequestId, 0);
}

void messageEvent1k(benchmark::State& state, LogMode mode) {
  auto& bridge = bridgeWithLog(mode);
  const sdk::MessageEvent& event = messageEvent();
  for (auto _ : state) bridge.onMessageEvent(event);
}

void presenceEvent(benchmark::State& state, LogMode mode) {
  auto& bridge = bridgeWithLog(mode);
  const PresenceEventInput input(kPresenceUsers);
  for (auto _ : state) bridge.onPresenceEvent(input.event());
}

void historyResult(benchmark::State& state, LogMode mode) {
  auto& bridge = bridgeWithLog(mode);
  const HistoryInput input(kHistoryMessages);
  for (auto _ : state)
    bridge.onGetHistoryMessagesResult(kRequestId, input.messages(), input.count(),
                                      HistoryInput::kNewStart, 0);
}

const bool registered = [] {
  const std::pair<const char*, void (*)(benchmark::State&, LogMode)> events[] = {
      {"loginResult", loginResult},
      {"messageEvent", messageEvent1k},
      {"presenceEvent", presenceEvent},
      {"historyResult", historyResult},
  };
  for (const auto& [label, fn] : events)
    for (LogMode mode : {LogMode::kOff, LogMode::kDefault})
      benchmark::RegisterBenchmark(
          ("event/" + std::string(label) + "/" + logModeLabel(mode)).c_str(), fn, mode);
  return true;
}();

}  // namespace

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
