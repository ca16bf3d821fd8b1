// Calls through the exports against the recording fake SDK: one engine made
// with the fake's client factory, and a call helper that shows whether the
// result buffer was written.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "support/recording_sdk.h"
#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {

// What an untouched result buffer still holds.
constexpr const char* kUntouched = "<untouched>";

struct ApiReply {
  int code;
  std::string result;  // the result buffer's text, kUntouched when not written
};

// One CallQuonKivApi with a fresh result buffer. params null means none; the
// length given to the engine is the text's length.
inline ApiReply callApi(QuonKivEngineHandle engine, const char* apiName, const char* params,
                        std::vector<void*> buffers = {}) {
  std::vector<char> resultBuffer(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
  std::strcpy(resultBuffer.data(), kUntouched);
  ApiParam param{};
  param.apiName = apiName;
  param.params = params;
  param.paramsLength = params ? static_cast<unsigned>(std::strlen(params)) : 0;
  param.resultBuffer = resultBuffer.data();
  param.buffers = buffers.empty() ? nullptr : buffers.data();
  param.bufferCount = static_cast<unsigned>(buffers.size());
  const int code = CallQuonKivApi(engine, &param);
  return {code, resultBuffer.data()};
}

// An engine whose client module creates its clients with the fake.
class FakeEngine {
 public:
  FakeEngine() : handle_(CreateQuonKivEngineWithProcTable(RecordingSdk::procTable())) {}
  ~FakeEngine() { destroy(); }
  FakeEngine(const FakeEngine&) = delete;
  FakeEngine& operator=(const FakeEngine&) = delete;

  QuonKivEngineHandle handle() const { return handle_; }
  RecordingSdk& sdk() { return sdk_; }

  ApiReply call(const char* apiName, const std::string& params) {
    return callApi(handle_, apiName, params.c_str());
  }
  ApiReply call(const char* apiName) { return callApi(handle_, apiName, nullptr); }

  // "KivClient_create" with the host sink as its buffer (none when null).
  ApiReply createClient(QuonEventHandlerHandle sink = nullptr, const char* params = nullptr) {
    std::vector<void*> buffers;
    if (sink) buffers.push_back(sink);
    return callApi(handle_, "KivClient_create", params, buffers);
  }

  void destroy() {
    DestroyQuonKivEngine(handle_);
    handle_ = nullptr;
  }

 private:
  RecordingSdk sdk_;  // made first: the engine's client module may use it until the end
  QuonKivEngineHandle handle_;
};

}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
