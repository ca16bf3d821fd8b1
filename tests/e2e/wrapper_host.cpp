#include "wrapper_host.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#endif

#include <array>
#include <cstring>

namespace loopback_e2e {

namespace {

// The library the tests load, by its full path: on Windows the DLL next to
// this program in bin/, which keeps any other copy on the search path out.
std::string wrapperPath() {
#if defined(_WIN32)
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + "VelmoKivWrapper.dll";
#else
  return VELMO_WRAPPER_LIBRARY_PATH;
#endif
}

// Like a host: the wrapper brings in the SDK it was linked with. Opened once
// and kept for the process.
const HostKitLibrary& loadedWrapper() {
  static HostKitLibrary library;
  static const bool opened = host_kit_open(&library, wrapperPath().c_str());
  (void)opened;
  return library;
}

// C sinks carry no context: each user gets one of these functions.
constexpr int kSlots = 8;
std::array<EventLog*, kSlots> g_logs{};
std::mutex g_slotsMutex;

template <int N>
void QUON_CALL onEvent(EventParam* event) {
  if (EventLog* log = g_logs[N]) log->record(event);
}

constexpr QuonOnEventFn kSinks[kSlots] = {onEvent<0>, onEvent<1>, onEvent<2>, onEvent<3>,
                                          onEvent<4>, onEvent<5>, onEvent<6>, onEvent<7>};

int takeSlot(EventLog* log) {
  std::lock_guard<std::mutex> lock(g_slotsMutex);
  for (int i = 0; i < kSlots; ++i) {
    if (!g_logs[i]) {
      g_logs[i] = log;
      return i;
    }
  }
  return -1;
}

}  // namespace

const WrapperExports* wrapper(std::string* error) {
  const HostKitLibrary& library = loadedWrapper();
  if (error) *error = library.error;
  return library.handle ? &library.exports : nullptr;
}

void EventLog::record(const EventParam* event) {
  HostEvent copy;
  copy.name = event->eventName ? event->eventName : "";
  copy.data = json::parse(std::string(event->data, event->dataLength), nullptr, false);
  for (unsigned i = 0; i < event->bufferCount; ++i) {
    const char* bytes = static_cast<const char*>(event->buffers[i]);
    copy.buffers.emplace_back(bytes ? std::string(bytes, event->bufferLengths[i]) : std::string());
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(copy));
  }
  changed_.notify_all();
}

std::optional<HostEvent> EventLog::waitFor(const std::string& name, const Match& match,
                                           std::chrono::seconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  std::optional<HostEvent> found;
  changed_.wait_for(lock, timeout, [&] {
    for (const HostEvent& event : events_) {
      if (event.name == name && (!match || match(event))) {
        found = event;
        return true;
      }
    }
    return false;
  });
  return found;
}

std::vector<HostEvent> EventLog::named(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<HostEvent> out;
  for (const HostEvent& event : events_)
    if (event.name == name) out.push_back(event);
  return out;
}

size_t EventLog::size() {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_.size();
}

HostUser::HostUser(const std::string& id) : userId(id) {
  const WrapperExports* lib = wrapper();
  slot_ = takeSlot(&events);
  if (!lib || slot_ < 0) {
    ADD_FAILURE() << "no library or no free sink slot";
    return;
  }
  engine_ = lib->CreateQuonKivEngine(nullptr);
  HostEventCallbacks callbacks{kSinks[slot_]};
  sink_ = lib->CreateQuonKivEventHandler(&callbacks);
  char resultBuffer[QUON_KIV_RESULT_BUFFER_SIZE] = {};
  const std::string params = json{{"config", {{"appId", "e2e-app"}, {"userId", userId}}}}.dump();
  EXPECT_EQ(host_kit_call(lib, engine_, "KivClient_create", params.c_str(), sink_, 0, resultBuffer),
            0);
  EXPECT_EQ(json::parse(resultBuffer, nullptr, false).value("errorCode", -1), 0) << resultBuffer;
}

HostUser::~HostUser() {
  const WrapperExports* lib = wrapper();
  if (lib) {
    releaseClient();
    lib->DestroyQuonKivEngine(engine_);
    lib->DestroyQuonKivEventHandler(sink_);
  }
  std::lock_guard<std::mutex> lock(g_slotsMutex);
  if (slot_ >= 0) g_logs[slot_] = nullptr;
}

void HostUser::releaseClient() {
  if (clientReleased_) return;
  clientReleased_ = true;
  json result;
  EXPECT_EQ(call("KivClient_release", json::object(), nullptr, &result), 0);
  EXPECT_EQ(result.value("result", -1), 0);
}

int HostUser::call(const std::string& apiName, const json& params, const std::string* payload,
                   json* result) {
  const WrapperExports* lib = wrapper();
  if (!lib) return -1;
  const std::string text = params.dump();
  std::vector<char> resultBuffer(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
  void* buffer = payload ? const_cast<char*>(payload->data()) : nullptr;
  const unsigned length = payload ? static_cast<unsigned>(payload->size()) : 0;
  const int code = host_kit_call(lib, engine_, apiName.c_str(), text.c_str(), buffer, length,
                                 resultBuffer.data());
  if (result) *result = json::parse(resultBuffer.data(), nullptr, false);
  return code;
}

uint64_t HostUser::request(const std::string& apiName, const json& params,
                           const std::string* payload) {
  json result;
  EXPECT_EQ(call(apiName, params, payload, &result), 0) << userId << " " << apiName;
  EXPECT_EQ(result.value("result", -1), 0) << userId << " " << apiName << " " << result.dump();
  return result.value("requestId", uint64_t{0});
}

HostEvent HostUser::expect(const std::string& eventName, uint64_t requestId, int errorCode) {
  auto event = events.waitFor(eventName, [requestId](const HostEvent& e) {
    return e.data.value("requestId", uint64_t{0}) == requestId;
  });
  EXPECT_TRUE(event) << userId << " never got " << eventName << " for request " << requestId;
  if (!event) return HostEvent();
  EXPECT_EQ(event->data.value("errorCode", -12345), errorCode)
      << userId << " " << eventName << " " << event->data.dump();
  return *event;
}

void HostUser::login() {
  expect(event::kLogin, request(api::kLogin, {{"token", userId + "-token"}}));
}

void HostUser::subscribe(const std::string& channel, const json& options) {
  expect(event::kSubscribe,
         request(api::kSubscribe, {{"channelName", channel}, {"options", options}}));
}

}  // namespace loopback_e2e
