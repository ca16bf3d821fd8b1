// The floors: the least each measured path could cost, in the same run.
//   floor/sdk/<call>        the SDK operation called directly on the null SDK
//   floor/json/<call>       the call's parameter text parsed, a result of the
//                           same size dumped, with nlohmann/json
//   floor/log_lines/<call>  the call's two log lines written by spdlog to a
//                           rotating file
//   floor/event/<event>     the event body built and dumped with nlohmann/json
//                           and handed to the sink
#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "bench/bench_world.h"
#include "bench/floor_bodies.h"
#include "bench/floor_log.h"
#include "bench/null_sdk.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

// The client as the library sees it: through its interface.
sdk::IKivClient* client() {
  sdk::IKivClient* c = &nullClient();
  benchmark::DoNotOptimize(c);
  return c;
}

void sdkLogin(benchmark::State& state) {
  sdk::IKivClient* c = client();
  const std::string token = "007eJxTYPj0ZmbM3Lu7TLZ7ZuZzNDA0sDQ3tLAwMTM2NTEwsjQzNjE0sjQ";
  for (auto _ : state) {
    uint64_t requestId = 0;
    benchmark::DoNotOptimize(c->login(token.c_str(), requestId));
  }
}

void sdkPublish(benchmark::State& state) {
  sdk::IKivClient* c = client();
  sdk::PublishOptions options;
  options.customType = "text";
  for (auto _ : state) {
    uint64_t requestId = 0;
    benchmark::DoNotOptimize(
        c->publish("bench-channel", payload(), kPayloadBytes, options, requestId));
  }
}

void sdkSetChannelMetadata(benchmark::State& state) {
  sdk::IKivStorage* storage = client()->getStorage();
  std::array<std::string, 3 * kMetadataItems> texts;
  std::array<sdk::MetadataItem, kMetadataItems> items;
  for (size_t i = 0; i < kMetadataItems; ++i) {
    texts[3 * i] = "key-" + std::to_string(i);
    texts[3 * i + 1] = "value-" + std::to_string(i);
    texts[3 * i + 2] = "user-" + std::to_string(i);
    items[i] = {texts[3 * i].c_str(), texts[3 * i + 1].c_str(), texts[3 * i + 2].c_str(), -1, 0};
  }
  sdk::Metadata data;
  data.items = items.data();
  data.itemCount = items.size();
  const sdk::MetadataOptions options{true, true};
  for (auto _ : state) {
    uint64_t requestId = 0;
    benchmark::DoNotOptimize(
        storage->setChannelMetadata("bench-channel", 1, data, options, "", requestId));
  }
}

void sdkSetState(benchmark::State& state) {
  sdk::IKivPresence* presence = client()->getPresence();
  std::array<std::string, 2 * kStateItems> texts;
  std::array<sdk::StateItem, kStateItems> items;
  for (size_t i = 0; i < kStateItems; ++i) {
    texts[2 * i] = "state-key-" + std::to_string(i);
    texts[2 * i + 1] = "state-value-" + std::to_string(i);
    items[i] = {texts[2 * i].c_str(), texts[2 * i + 1].c_str()};
  }
  for (auto _ : state) {
    uint64_t requestId = 0;
    benchmark::DoNotOptimize(
        presence->setState("bench-channel", 1, items.data(), items.size(), requestId));
  }
}

void jsonOfCall(benchmark::State& state, const CallInput* input) {
  for (auto _ : state) {
    json params = json::parse(input->params);
    benchmark::DoNotOptimize(params);
    std::string result = acceptedResult(kRequestId).dump();
    benchmark::DoNotOptimize(result);
  }
}

void logLines(benchmark::State& state, const CallInput* input) {
  const CallLogLines lines(*input);
  const auto logger = floorLogger(FloorSinks::kFile);
  for (auto _ : state) lines.write(*logger);
}

// The three call floors in one loop: the parse, the SDK call, the dump and
// the two log lines, each written the direct way.
void combined(benchmark::State& state, const CallInput* input) {
  const CallLogLines lines(*input);
  const auto logger = floorLogger(FloorSinks::kFile);
  sdk::IKivClient* c = client();
  for (auto _ : state) {
    json params = json::parse(input->params);
    uint64_t requestId = 0;
    benchmark::DoNotOptimize(c->logout(requestId));
    std::string result = acceptedResult(requestId).dump();
    benchmark::DoNotOptimize(result);
    lines.write(*logger);
  }
}

// Builds the body, dumps it once and hands it to the sink, as an event does.
template <class Build>
void eventFloor(benchmark::State& state, const char* eventName, Build build) {
  NullSink sink;
  QuonEventHandler* handler = &sink;
  benchmark::DoNotOptimize(handler);
  for (auto _ : state) {
    const std::string text = build().dump();
    EventParam event{eventName, text.c_str(), static_cast<unsigned int>(text.size()),
                     nullptr,   nullptr,      nullptr,
                     0};
    handler->OnEvent(&event);
  }
}

void loginResultFloor(benchmark::State& state) {
  eventFloor(state, "KivEventHandler_onLoginResult_4f46899",
             [] { return loginResultBody(kRequestId, 0); });
}

void messageEventFloor(benchmark::State& state) {
  eventFloor(state, "KivEventHandler_onMessageEvent_ce5f8f5",
             [] { return messageEventBody(messageEvent()); });
}

void presenceEventFloor(benchmark::State& state) {
  const PresenceEventInput input(1000);
  eventFloor(state, "KivEventHandler_onPresenceEvent_32b5db1",
             [&] { return presenceEventBody(input.event()); });
}

void historyResultFloor(benchmark::State& state) {
  const HistoryInput input(100);
  eventFloor(state, "KivEventHandler_onGetHistoryMessagesResult_c5dd08c", [&] {
    return historyResultBody(kRequestId, input.messages(), input.count(), HistoryInput::kNewStart,
                             0);
  });
}

const bool registered = [] {
  benchmark::RegisterBenchmark("floor/sdk/login", sdkLogin);
  benchmark::RegisterBenchmark("floor/sdk/publish", sdkPublish);
  benchmark::RegisterBenchmark("floor/sdk/setChannelMetadata", sdkSetChannelMetadata);
  benchmark::RegisterBenchmark("floor/sdk/setState", sdkSetState);
  for (const CallInput& input : measuredCalls()) {
    benchmark::RegisterBenchmark(("floor/json/" + std::string(input.label)).c_str(), jsonOfCall,
                                 &input);
    benchmark::RegisterBenchmark(("floor/log_lines/" + std::string(input.label)).c_str(), logLines,
                                 &input);
    benchmark::RegisterBenchmark(("floor/combined/" + std::string(input.label)).c_str(), combined,
                                 &input);
  }
  benchmark::RegisterBenchmark("floor/event/loginResult", loginResultFloor);
  benchmark::RegisterBenchmark("floor/event/messageEvent", messageEventFloor);
  benchmark::RegisterBenchmark("floor/event/presenceEvent", presenceEventFloor);
  benchmark::RegisterBenchmark("floor/event/historyResult", historyResultFloor);
  return true;
}();

}  // namespace

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
