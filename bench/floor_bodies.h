// The floors' own work, written the direct way with nlohmann/json: the event
// bodies built key by key, and the result of an accepted request. They must
// produce the library's texts byte for byte (main checks this before any
// benchmark runs), or the ratios compare different work.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "bench/bench_inputs.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

using json = nlohmann::json;

json loginResultBody(uint64_t requestId, int errorCode);
json messageEventBody(const sdk::MessageEvent& event);
json presenceEventBody(const sdk::PresenceEvent& event);
json historyResultBody(uint64_t requestId, const sdk::HistoryMessage* messages, size_t count,
                       uint64_t newStart, int errorCode);

// {"requestId":N,"result":0}, what every measured call answers.
json acceptedResult(uint64_t requestId);

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
