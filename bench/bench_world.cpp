#include "bench/bench_world.h"

#include <cstring>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "bench/null_sdk.h"
#include "host_kit.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

std::string& workDirectorySlot() {
  static std::string directory;
  return directory;
}

// The call's code, or an exception naming the call.
void expectSuccess(QuonKivEngineHandle engine, const char* apiName, const std::string& params,
                   void* buffer = nullptr) {
  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
  const int code = host_kit_call(host_kit_linked_exports(), engine, apiName, params.c_str(), buffer,
                                 0, result.data());
  if (code != 0)
    throw std::runtime_error(std::string(apiName) + " answered " + std::to_string(code) + " " +
                             result.data());
}

}  // namespace

const char* logModeLabel(LogMode mode) { return mode == LogMode::kOff ? "log_off" : "log_on"; }

void NullSink::OnEvent(EventParam* event) { (void)event; }

void setWorkDirectory(const std::string& directory) { workDirectorySlot() = directory; }
const std::string& workDirectory() { return workDirectorySlot(); }

PreparedCall::PreparedCall(const CallInput& input)
    : resultBuffer_(QUON_KIV_RESULT_BUFFER_SIZE, '\0'), buffers_{payload()} {
  param_.apiName = input.apiName;
  param_.params = input.params.c_str();
  param_.paramsLength = static_cast<unsigned int>(input.params.size());
  param_.resultBuffer = resultBuffer_.data();
  param_.buffers = input.withPayload ? buffers_ : nullptr;
  param_.bufferCount = input.withPayload ? 1 : 0;
}

int PreparedCall::run(QuonKivEngineHandle engine) { return CallQuonKivApi(engine, &param_); }

BenchWorld& BenchWorld::instance() {
  static BenchWorld* const world = new BenchWorld();  // closed explicitly by main
  return *world;
}

BenchWorld::BenchWorld() : engine_(CreateQuonKivEngineWithProcTable(nullSdkProcTable())) {
  if (!engine_) throw std::runtime_error("no engine");
  // A file name in the folder: the log rules keep the folder whatever dots it holds.
  nlohmann::json create = {{"config",
                            {{"appId", "benchApp01"},
                             {"userId", "bench-user"},
                             {"logConfig",
                              {{"filePath", workDirectory() + "/velmo-quon-kiv.log"},
                               {"fileSizeInKB", 5120},
                               {"level", 1}}}}}};
  expectSuccess(engine_, "KivClient_create", create.dump(), &sink_);
  if (!nullClient().eventHandler()) throw std::runtime_error("the SDK got no event handler");
}

void BenchWorld::setLogMode(LogMode mode) {
  expectSuccess(engine_, "KivClient_setLogLevel",
                mode == LogMode::kOff ? "{\"level\":0}" : "{\"level\":1}");
}

::velmo::kiv::IKivEventHandler& BenchWorld::bridge() const { return *nullClient().eventHandler(); }

void BenchWorld::close() {
  DestroyQuonKivEngine(engine_);
  engine_ = nullptr;
}

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
