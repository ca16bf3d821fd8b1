// Fuzz target: CallQuonKivApi on an engine over the recording fake SDK.
//
// Each input is a short session: a fresh engine, optionally a client and a
// stream channel "fuzz", then one to four calls. A call's API name comes from
// the modules' own tables or is arbitrary text; its parameters are arbitrary
// bytes with an arbitrary length (never past the bytes given, always
// NUL-terminated as the host contract says), with zero to three buffers.
//
// The library passes payload and sink addresses through unchecked, as a host
// gives them. A host only gives addresses it owns, so every address-carrying
// key the input names ("message", "config"."eventHandler") is pointed at this
// target's own payload and sink, and log folders at the scratch folder.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fuzz/fuzz_log.h"
#include "quon_event_handler.h"
#include "src/kiv/src/IKivClient_wrapper.h"
#include "src/kiv/src/impl/IKivHistory_wrapper.h"
#include "src/kiv/src/impl/IKivLock_wrapper.h"
#include "src/kiv/src/impl/IKivPresence_wrapper.h"
#include "src/kiv/src/impl/IKivStorage_wrapper.h"
#include "src/kiv/src/impl/IStreamChannel_Manager.h"
#include "support/recording_sdk.h"
#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fuzz {
namespace {

using fake::RecordingSdk;

constexpr int kLogLevel = spdlog::level::info;
constexpr size_t kPayloadSize = 4096;
constexpr const char* kChannel = "fuzz";

// Every API name the modules register, sorted and without repeats.
std::vector<std::string> collectApiNames() {
  RecordingSdk sdk;
  std::vector<std::string> names;
  auto add = [&](ApiModuleBase& module) {
    for (const std::string& name : module.apiNames()) names.push_back(name);
  };
  std::weak_ptr<IKivClientWrapper> noLink;
  IKivClientWrapper client(nullptr, RecordingSdk::procTable());
  fake::FakeStreamChannel sdkChannel(sdk, 1, std::string(kChannel));
  IStreamChannelWrapper channel(&sdkChannel);
  IStreamChannelManager channels(noLink);
  IKivStorageWrapper storage(noLink);
  IKivLockWrapper lock(noLink);
  IKivPresenceWrapper presence(noLink);
  IKivHistoryWrapper history(noLink);
  for (ApiModuleBase* module : std::initializer_list<ApiModuleBase*>{
           &client, &channel, &channels, &storage, &lock, &presence, &history})
    add(*module);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

const std::vector<std::string>& apiNames() {
  static const std::vector<std::string> names = collectApiNames();
  return names;
}

// A host sink that reads every event it gets in full.
class ReadingSink : public QuonEventHandler {
 public:
  void OnEvent(EventParam* event) override {
    if (!event || !event->eventName || !event->data) __builtin_trap();
    if (std::strlen(event->data) != event->dataLength) __builtin_trap();
  }
};

// Memory a host owns: the payload every "message" points at, and the sink.
struct HostMemory {
  std::vector<char> payload = std::vector<char>(kPayloadSize, 'p');
  std::vector<char> secondPayload = std::vector<char>(kPayloadSize, 'q');
  ReadingSink sink;
  uint64_t payloadAddress() { return reinterpret_cast<uintptr_t>(payload.data()); }
  uint64_t sinkAddress() {
    return reinterpret_cast<uintptr_t>(static_cast<QuonEventHandler*>(&sink));
  }
};

// Points the address-carrying keys of a parameter object at host memory and
// its log folders at the scratch folder. Returns true when it changed params.
bool ownAddresses(nlohmann::json& params, HostMemory& host) {
  if (!params.is_object()) return false;
  bool changed = false;
  const std::string folder = scratchFolder() + "/custom";
  if (params.contains("message")) {
    params["message"] = host.payloadAddress();
    changed = true;
  }
  if (auto path = params.find("filePath"); path != params.end() && path->is_string()) {
    *path = folder;
    changed = true;
  }
  auto config = params.find("config");
  if (config != params.end() && config->is_object()) {
    if (config->contains("eventHandler")) {
      (*config)["eventHandler"] = host.sinkAddress();
      changed = true;
    }
    auto log = config->find("logConfig");
    if (log != config->end() && log->is_object()) {
      if (auto path = log->find("filePath"); path != log->end() && path->is_string()) {
        *path = folder;
        changed = true;
      }
    }
  }
  return changed;
}

struct Call {
  std::string apiName;
  std::string params;
  bool nullParams = false;
  unsigned int paramsLength = 0;
  unsigned int bufferCount = 0;
  bool nullBuffers = false;
};

Call readCall(FuzzedDataProvider& in, bool last) {
  Call call;
  const auto& names = apiNames();
  if (in.ConsumeBool())
    call.apiName = names[in.ConsumeIntegralInRange<size_t>(0, names.size() - 1)];
  else
    call.apiName = in.ConsumeRandomLengthString(80);
  call.bufferCount = in.ConsumeIntegralInRange<unsigned int>(0, 3);
  call.nullBuffers = in.ConsumeIntegralInRange<int>(0, 7) == 0;
  const int lengthMode = in.ConsumeIntegralInRange<int>(0, 7);
  call.params = last ? in.ConsumeRemainingBytesAsString() : in.ConsumeRandomLengthString(4096);
  switch (lengthMode) {
    case 0:
      call.nullParams = true;
      break;
    case 1:
      call.paramsLength = 0;
      break;
    case 2:  // a cut-off prefix
      call.paramsLength = static_cast<unsigned int>(call.params.size() / 2);
      break;
    default:
      call.paramsLength = static_cast<unsigned int>(call.params.size());
  }
  return call;
}

bool knownCode(int code) {
  switch (code) {
    case 0:
    case 4:  // the client module's getters
    case kCodeBadParams:
    case kCodeNoModule:
    case kCodeNoClient:
    case kCodeUnknownApi:
      return true;
    default:
      return false;
  }
}

void runCall(QuonKivEngineHandle engine, HostMemory& host, Call call) {
  if (!call.nullParams && call.paramsLength != 0) {
    nlohmann::json parsed =
        nlohmann::json::parse(call.params.data(), call.params.data() + call.paramsLength, nullptr,
                              /*allow_exceptions=*/false, /*ignore_comments=*/false);
    if (!parsed.is_discarded() && ownAddresses(parsed, host)) {
      call.params = parsed.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
      call.paramsLength = static_cast<unsigned int>(call.params.size());
    }
  }

  // Buffer 0 is what the name takes: the sink for "KivClient_create", else a payload.
  void* buffers[3] = {host.payload.data(), host.secondPayload.data(), host.payload.data()};
  if (call.apiName == "KivClient_create") buffers[0] = static_cast<QuonEventHandler*>(&host.sink);
  unsigned int lengths[3] = {kPayloadSize, kPayloadSize, kPayloadSize};

  static constexpr char kSentinel[] = "<untouched>";
  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
  std::memcpy(result.data(), kSentinel, sizeof kSentinel);

  ApiParam param{};
  param.apiName = call.apiName.c_str();
  param.params = call.nullParams ? nullptr : call.params.c_str();
  param.paramsLength = call.paramsLength;
  param.resultBuffer = result.data();
  param.buffers = call.nullBuffers ? nullptr : buffers;
  param.bufferLengths = call.nullBuffers ? nullptr : lengths;
  param.bufferCount = call.bufferCount;

  const int code = CallQuonKivApi(engine, &param);

  // The answer is a known code and, when written, one NUL-terminated JSON text.
  if (!knownCode(code)) __builtin_trap();
  const char* end = static_cast<const char*>(std::memchr(result.data(), '\0', result.size()));
  if (!end) __builtin_trap();
  const size_t length = static_cast<size_t>(end - result.data());
  const bool untouched = std::strcmp(result.data(), kSentinel) == 0;
  if (!untouched && length < QUON_KIV_RESULT_BUFFER_SIZE - 1 &&
      !nlohmann::json::accept(result.data(), end))
    __builtin_trap();
}

// One engine over a fresh fake SDK; the fake is made first and outlives it.
struct Session {
  RecordingSdk sdk;
  HostMemory host;
  QuonKivEngineHandle engine = CreateQuonKivEngineWithProcTable(RecordingSdk::procTable());
  ~Session() { DestroyQuonKivEngine(engine); }
};

}  // namespace
}  // namespace fuzz
}  // namespace kiv
}  // namespace quon
}  // namespace velmo

using namespace velmo::quon::kiv::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  startScratchLog(kLogLevel);
  apiNames();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  resetScratchLog(kLogLevel);
  FuzzedDataProvider in(data, size);
  Session session;
  if (!session.engine) __builtin_trap();

  // 0: no client; 1: a client; 2: a client and the channel "fuzz".
  const int setup = in.ConsumeIntegralInRange<int>(0, 2);
  if (setup >= 1) {
    Call create;
    create.apiName = "KivClient_create";
    create.nullParams = true;
    create.bufferCount = 1;
    runCall(session.engine, session.host, create);
  }
  if (setup >= 2) {
    Call channel;
    channel.apiName = "KivClient_createStreamChannel_ae3d0cf";
    channel.params = std::string("{\"channelName\":\"") + kChannel + "\"}";
    channel.paramsLength = static_cast<unsigned int>(channel.params.size());
    runCall(session.engine, session.host, channel);
  }

  const int calls = in.ConsumeIntegralInRange<int>(1, 4);
  for (int i = 0; i < calls; ++i)
    runCall(session.engine, session.host, readCall(in, i == calls - 1));
  return 0;
}
