#include "bench/floor_log.h"

#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>

#include <vector>

#include "bench/bench_world.h"
#include "bench/floor_bodies.h"
#include "bench/null_sdk.h"
#include "src/kiv/src/param_redaction.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

constexpr size_t kMaxFileSize = 5242880;
constexpr size_t kRotatedFiles = 3;

// Where the library's lines come from: the same file name and line widths.
const spdlog::source_loc kEngineLocation{"quon_kiv_api_engine.cpp", 100, "route"};

std::shared_ptr<spdlog::logger> makeLogger(FloorSinks sinks) {
  std::vector<spdlog::sink_ptr> list;
  if (sinks == FloorSinks::kFileAndConsole)
    list.push_back(std::make_shared<spdlog::sinks::stdout_sink_mt>());
  const char* file = sinks == FloorSinks::kFile ? "/floor/file.log" : "/floor/file-and-console.log";
  list.push_back(std::make_shared<spdlog::sinks::rotating_file_sink_mt>(
      workDirectory() + file, kMaxFileSize, kRotatedFiles, false));
  auto logger = std::make_shared<spdlog::logger>("floor", list.begin(), list.end());
  logger->set_formatter(std::make_unique<spdlog::pattern_formatter>(
      "[%Y-%m-%d %H:%M:%S.%e][%t][%L][%s:%#] %v", spdlog::pattern_time_type::local, "\r\n"));
  logger->set_level(spdlog::level::info);
  return logger;
}

}  // namespace

std::shared_ptr<spdlog::logger> floorLogger(FloorSinks sinks) {
  // One logger of each kind for the whole run, like the library's.
  static const auto file = makeLogger(FloorSinks::kFile);
  static const auto fileAndConsole = makeLogger(FloorSinks::kFileAndConsole);
  return sinks == FloorSinks::kFile ? file : fileAndConsole;
}

CallLogLines::CallLogLines(const CallInput& input)
    : apiName_(input.apiName),
      loggedParams_(redactParams(input.apiName, input.params)),
      result_(acceptedResult(kRequestId).dump()) {}

void CallLogLines::write(spdlog::logger& logger) const {
  logger.log(kEngineLocation, spdlog::level::info, "api name {} params \"{}\"", apiName_,
             loggedParams_);
  logger.log(kEngineLocation, spdlog::level::info, "api name {} result {}", apiName_, result_);
}

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
