// What the benchmarks feed the library and their floors: the parameter text of
// each measured call, and the SDK records of each measured event.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "velmo_kiv_sdk/kiv_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace sdk = ::velmo::kiv;

constexpr size_t kPayloadBytes = 1024;
constexpr size_t kMetadataItems = 10;
constexpr size_t kStateItems = 10;

// One measured API call.
struct CallInput {
  const char* label;    // short name used in benchmark names: "login"
  const char* apiName;  // "KivClient_login_1fa04dd"
  std::string params;   // the JSON parameter text
  bool withPayload;     // the 1 KiB payload goes as the call's single buffer
};

// login, publish, setChannelMetadata, setState, in that order.
const std::vector<CallInput>& measuredCalls();
const CallInput& callInput(const std::string& label);

// A 1 KiB payload, as the host would pass it and as the SDK would report it.
char* payload();

// A presence event whose snapshot lists users, each with two state items.
class PresenceEventInput {
 public:
  explicit PresenceEventInput(size_t users);
  PresenceEventInput(const PresenceEventInput&) = delete;
  PresenceEventInput& operator=(const PresenceEventInput&) = delete;
  const sdk::PresenceEvent& event() const { return event_; }

 private:
  std::deque<std::string> texts_;  // user ids, keys and values: addresses stay put
  std::vector<std::array<sdk::StateItem, 2>> states_;
  std::vector<sdk::UserState> users_;
  sdk::PresenceEvent event_;
};

// A history result of messages, each pointing at the 1 KiB payload.
class HistoryInput {
 public:
  explicit HistoryInput(size_t messages);
  HistoryInput(const HistoryInput&) = delete;
  HistoryInput& operator=(const HistoryInput&) = delete;
  const sdk::HistoryMessage* messages() const { return messages_.data(); }
  size_t count() const { return messages_.size(); }
  static constexpr uint64_t kNewStart = 987654321;

 private:
  std::vector<sdk::HistoryMessage> messages_;
};

// A message event carrying the 1 KiB payload.
const sdk::MessageEvent& messageEvent();

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
