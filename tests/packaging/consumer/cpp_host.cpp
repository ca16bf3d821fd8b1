// A C++ host: every installed header compiles on its own, and a sink written
// in C++ can be handed to the library.
#include <quon_event_handler.h>
#include <velmo_kiv_sdk/velmo_kiv_sdk.h>
#include <velmo_kiv_wrapper.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace {

class CountingSink : public velmo::quon::kiv::QuonEventHandler {
 public:
  void OnEvent(EventParam*) override { ++events_; }

 private:
  std::atomic<int> events_{0};
};

}  // namespace

int main() {
  static char result[QUON_KIV_RESULT_BUFFER_SIZE];
  static_assert(sizeof(velmo::kiv::KivConfig) > 0, "SDK records are visible");
  CountingSink sink;
  QuonKivEngineHandle engine = CreateQuonKivEngineWithProcTable(nullptr);
  if (engine == nullptr) return 1;

  void* handler = static_cast<velmo::quon::kiv::QuonEventHandler*>(&sink);
  const std::string unknown = "KivClient_noSuchCall";
  ApiParam param{};
  param.apiName = unknown.c_str();
  param.resultBuffer = result;
  param.buffers = &handler;
  param.bufferCount = 1;
  const int code = CallQuonKivApi(engine, &param);
  destroyQuonKivClient(engine);
  if (code != -1009) {
    std::fprintf(stderr, "FAILED: unknown client call gave %d, expected -1009\n", code);
    return 1;
  }
  std::printf("cpp_host: all checks passed\n");
  return 0;
}
