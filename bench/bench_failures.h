// A benchmark whose library call fails stops with an error, and the program
// then exits non-zero, so the run-once test catches a call that broke.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

void failBenchmark(benchmark::State& state, const std::string& why);
bool anyBenchmarkFailed();

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
