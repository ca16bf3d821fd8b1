// Scaling: the cost per element of the large events as they grow, against
// the floor at each size; and calls into two different modules from two
// threads against one thread (each module has its own lock, so the two run
// side by side), with one module from two threads for contrast and the JSON
// floor from two threads for the machine's own parallelism.
#include <benchmark/benchmark.h>

#include "bench/bench_failures.h"
#include "bench/bench_world.h"
#include "bench/floor_bodies.h"
#include "bench/null_sdk.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

void presenceLibrary(benchmark::State& state) {
  BenchWorld::instance().setLogMode(LogMode::kOff);
  auto& bridge = BenchWorld::instance().bridge();
  const PresenceEventInput input(static_cast<size_t>(state.range(0)));
  for (auto _ : state) bridge.onPresenceEvent(input.event());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void presenceFloor(benchmark::State& state) {
  const PresenceEventInput input(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    std::string text = presenceEventBody(input.event()).dump();
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void historyLibrary(benchmark::State& state) {
  BenchWorld::instance().setLogMode(LogMode::kOff);
  auto& bridge = BenchWorld::instance().bridge();
  const HistoryInput input(static_cast<size_t>(state.range(0)));
  for (auto _ : state)
    bridge.onGetHistoryMessagesResult(kRequestId, input.messages(), input.count(),
                                      HistoryInput::kNewStart, 0);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void historyFloor(benchmark::State& state) {
  const HistoryInput input(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    std::string text =
        historyResultBody(kRequestId, input.messages(), input.count(), HistoryInput::kNewStart, 0)
            .dump();
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Runs calls[i] on thread i; a single thread runs all of them in turn. Every
// thread makes the same number of calls per iteration, counted as items.
void concurrentCalls(benchmark::State& state, const char* firstLabel, const char* secondLabel) {
  BenchWorld& world = BenchWorld::instance();
  if (state.thread_index() == 0) world.setLogMode(LogMode::kOff);
  PreparedCall first(callInput(firstLabel));
  PreparedCall second(callInput(secondLabel));
  const bool alone = state.threads() == 1;
  PreparedCall& mine = state.thread_index() == 0 ? first : second;
  for (auto _ : state) {
    int code = mine.run(world.engine());
    if (alone) code |= second.run(world.engine());
    if (code != 0) {
      failBenchmark(state, "a concurrent call failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * (alone ? 2 : 1));
}

// The machine's own parallelism, without the library: the JSON floor of a
// call from one thread and from two.
void floorInThreads(benchmark::State& state) {
  const CallInput& input = callInput("setChannelMetadata");
  for (auto _ : state) {
    json params = json::parse(input.params);
    benchmark::DoNotOptimize(params);
    std::string result = acceptedResult(kRequestId).dump();
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations());
}

const bool registered = [] {
  benchmark::RegisterBenchmark("scaling/presence/library", presenceLibrary)
      ->Arg(10)
      ->Arg(1000)
      ->Arg(100000);
  benchmark::RegisterBenchmark("scaling/presence/floor", presenceFloor)
      ->Arg(10)
      ->Arg(1000)
      ->Arg(100000);
  benchmark::RegisterBenchmark("scaling/history/library", historyLibrary)
      ->Arg(10)
      ->Arg(100)
      ->Arg(10000);
  benchmark::RegisterBenchmark("scaling/history/floor", historyFloor)
      ->Arg(10)
      ->Arg(100)
      ->Arg(10000);
  benchmark::RegisterBenchmark("scaling/two_modules", concurrentCalls, "setChannelMetadata",
                               "setState")
      ->Threads(1)
      ->Threads(2)
      ->UseRealTime();
  benchmark::RegisterBenchmark("scaling/one_module", concurrentCalls, "setChannelMetadata",
                               "setChannelMetadata")
      ->Threads(1)
      ->Threads(2)
      ->UseRealTime();
  benchmark::RegisterBenchmark("scaling/json_floor", floorInThreads)
      ->Threads(1)
      ->Threads(2)
      ->UseRealTime();
  return true;
}();

}  // namespace

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
