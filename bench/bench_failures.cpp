#include "bench/bench_failures.h"

#include <atomic>

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {
std::atomic<bool> failed{false};
}  // namespace

void failBenchmark(benchmark::State& state, const std::string& why) {
  failed = true;
  state.SkipWithError(why.c_str());
}

bool anyBenchmarkFailed() { return failed; }

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
