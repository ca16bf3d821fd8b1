// The call path: one CallQuonKivApi from the host's ApiParam to the result in
// its buffer, on the null SDK, with the log off and at its default level.
#include <benchmark/benchmark.h>

#include "bench/bench_failures.h"
#include "bench/bench_world.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

void callPath(benchmark::State& state, const CallInput* input, LogMode mode) {
  BenchWorld& world = BenchWorld::instance();
  world.setLogMode(mode);
  PreparedCall call(*input);
  for (auto _ : state) {
    if (call.run(world.engine()) != 0) {
      failBenchmark(state, std::string(input->apiName) + " failed: " + call.result());
      break;
    }
  }
}

const bool registered = [] {
  for (const CallInput& input : measuredCalls())
    for (LogMode mode : {LogMode::kOff, LogMode::kDefault})
      benchmark::RegisterBenchmark(
          ("call/" + std::string(input.label) + "/" + logModeLabel(mode)).c_str(), callPath, &input,
          mode);
  return true;
}();

}  // namespace

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
