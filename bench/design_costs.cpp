// What the design itself costs on the call path, measured on its own:
//   design/mask/login                 the masking of the logged parameters of a
//                                     masked call (a linear scan)
//   design/mask_regex_per_call/login  the same masking with the two ECMAScript
//                                     patterns built for each call
//   design/api_name_copy              the module's own copy of the API name
//   design/log_lines_and_console/*    the call's two lines to the rotating file
//                                     and to standard output, as the library
//                                     logs them
#include <benchmark/benchmark.h>

#include <regex>
#include <string>

#include "bench/bench_inputs.h"
#include "bench/bench_world.h"
#include "bench/floor_log.h"
#include "common/includes/quon_log.h"
#include "src/kiv/src/param_redaction.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

void maskLogin(benchmark::State& state) {
  const CallInput& login = callInput("login");
  for (auto _ : state) {
    std::string masked = redactParams(login.apiName, login.params);
    benchmark::DoNotOptimize(masked);
  }
}

// Masks the first match of pattern: its capture group is replaced where it
// first occurs in the text.
void maskFirst(std::string& text, const char* pattern) {
  const std::regex expression(pattern, std::regex::ECMAScript);
  std::smatch match;
  if (!std::regex_search(text, match, expression)) return;
  const std::string captured = match[1].str();
  const size_t at = text.find(captured);
  if (at != std::string::npos) text.replace(at, captured.size(), "***************");
}

void maskLoginWithRegexPerCall(benchmark::State& state) {
  const CallInput& login = callInput("login");
  for (auto _ : state) {
    std::string text = login.params;
    maskFirst(text,
              "\"appId\":\"[a-zA-Z0-9][a-zA-Z0-9][a-zA-Z0-9]([a-zA-Z0-9]*)[a-zA-Z0-9][a-zA-Z0-9]"
              "[a-zA-Z0-9]\"");
    maskFirst(text, "\"token\":\"[^\"][^\"][^\"][^\"]([^\"]*)[^\"][^\"][^\"][^\"]\"");
    benchmark::DoNotOptimize(text);
  }
}

void apiNameCopy(benchmark::State& state) {
  const char* apiName = callInput("setChannelMetadata").apiName;
  benchmark::DoNotOptimize(apiName);
  for (auto _ : state) {
    std::string name(apiName);
    benchmark::DoNotOptimize(name);
  }
}

void logLinesAndConsole(benchmark::State& state, const CallInput* input) {
  const CallLogLines lines(*input);
  const auto logger = floorLogger(FloorSinks::kFileAndConsole);
  for (auto _ : state) lines.write(*logger);
}

void libraryLogLines(benchmark::State& state, const CallInput* input) {
  BenchWorld::instance().setLogMode(LogMode::kDefault);
  const std::string result = "{\"requestId\":1234567,\"result\":0}";
  for (auto _ : state) {
    QUON_LOG_INFO("api name {} params \"{}\"", input->apiName, input->params.c_str());
    QUON_LOG_INFO("api name {} result {}", input->apiName, result);
  }
}

const bool registered = [] {
  for (const CallInput& input : measuredCalls())
    benchmark::RegisterBenchmark(("design/library_log_lines/" + std::string(input.label)).c_str(),
                                 libraryLogLines, &input);
  benchmark::RegisterBenchmark("design/mask/login", maskLogin);
  benchmark::RegisterBenchmark("design/mask_regex_per_call/login", maskLoginWithRegexPerCall);
  benchmark::RegisterBenchmark("design/api_name_copy", apiNameCopy);
  for (const CallInput& input : measuredCalls())
    benchmark::RegisterBenchmark(
        ("design/log_lines_and_console/" + std::string(input.label)).c_str(), logLinesAndConsole,
        &input);
  return true;
}();

}  // namespace

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
