// The log floor: spdlog writing the call's two lines (parameters and result,
// of the library's lengths) to a rotating file of its own, with the library's
// line pattern, size and file count. With the console the lines also go to
// standard output, as the library's log does.
#pragma once

#include <spdlog/spdlog.h>

#include <memory>
#include <string>

#include "bench/bench_inputs.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

enum class FloorSinks { kFile, kFileAndConsole };

std::shared_ptr<spdlog::logger> floorLogger(FloorSinks sinks);

// The two lines the library logs for one call.
class CallLogLines {
 public:
  explicit CallLogLines(const CallInput& input);
  void write(spdlog::logger& logger) const;

 private:
  const char* apiName_;
  std::string loggedParams_;  // masked for the calls the library masks
  std::string result_;
};

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
