// The library as a host drives it during the benchmarks: one engine over the
// null SDK, a client created with the log in the benchmark's work folder, one
// sink that does nothing, and the log switched on and off through the API.
#pragma once

#include <string>
#include <vector>

#include "bench/bench_inputs.h"
#include "quon_event_handler.h"
#include "velmo_kiv_sdk/kiv_event_handler.h"
#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

enum class LogMode {
  kOff,      // "KivClient_setLogLevel" with level 0
  kDefault,  // the level a new client gets: info, to the file and to standard output
};
const char* logModeLabel(LogMode mode);  // "log_off" / "log_on"

// Receives every event and does nothing with it.
class NullSink final : public QuonEventHandler {
 public:
  void OnEvent(EventParam* event) override;
};

// The work folder holds the log files; main sets it before anything else runs.
void setWorkDirectory(const std::string& directory);
const std::string& workDirectory();

// One ApiParam with its own result buffer, made once and run many times.
class PreparedCall {
 public:
  explicit PreparedCall(const CallInput& input);
  PreparedCall(const PreparedCall&) = delete;
  PreparedCall& operator=(const PreparedCall&) = delete;

  int run(QuonKivEngineHandle engine);
  const char* result() const { return resultBuffer_.data(); }

 private:
  std::vector<char> resultBuffer_;
  void* buffers_[1];
  ApiParam param_{};
};

class BenchWorld {
 public:
  // Made on first use: engine, client (log at its default level), sink.
  static BenchWorld& instance();
  BenchWorld(const BenchWorld&) = delete;
  BenchWorld& operator=(const BenchWorld&) = delete;

  QuonKivEngineHandle engine() const { return engine_; }
  // Throws when the library refuses the change.
  void setLogMode(LogMode mode);
  // The bridge the engine gave the SDK: what the SDK's callbacks reach.
  ::velmo::kiv::IKivEventHandler& bridge() const;
  // Shuts the engine down; main calls it before the log stops.
  void close();

 private:
  BenchWorld();
  QuonKivEngineHandle engine_ = nullptr;
  NullSink sink_;
};

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
