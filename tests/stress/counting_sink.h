// A host sink for the stress tests: records which events it got, in order,
// and notices when a delivery starts while another one (to any sink sharing
// the same counter) is still running.
#pragma once

#include <atomic>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "quon_event_handler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace stress {

// Shared by the sinks of one bridge: how many deliveries run right now, and
// how often one started while another ran.
struct DeliveryWatch {
  std::atomic<int> running{0};
  std::atomic<int> overlaps{0};
};

class CountingSink : public QuonEventHandler {
 public:
  explicit CountingSink(DeliveryWatch& watch) : watch_(watch) {}

  void OnEvent(EventParam* event) override {
    if (watch_.running.fetch_add(1) != 0) watch_.overlaps.fetch_add(1);
    std::string key = keyOf(*event);
    {
      std::lock_guard<std::mutex> guard(mutex_);
      seen_.push_back(std::move(key));
    }
    watch_.running.fetch_sub(1);
  }

  std::vector<std::string> seen() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return seen_;
  }

 private:
  // "name id", the id being the request id, or the timestamp of a message
  // event; "bad ..." when the event is not what its sender built.
  static std::string keyOf(const EventParam& event) {
    if (!event.eventName || !event.data || std::strlen(event.data) != event.dataLength)
      return "bad record";
    const auto body = nlohmann::json::parse(event.data, event.data + event.dataLength, nullptr,
                                            /*allow_exceptions=*/false);
    if (!body.is_object()) return "bad json";
    std::string name = event.eventName;
    if (body.contains("requestId")) return name + " " + body["requestId"].dump();
    const auto& message = body.value("event", nlohmann::json::object());
    if (!message.contains("timestamp")) return "bad keys " + name;
    // The payload travels as buffer 0 and nowhere else.
    const uint64_t address = message.value("message", uint64_t{0});
    const uint64_t length = message.value("messageLength", uint64_t{0});
    if (event.bufferCount != 1 || !event.buffers || !event.bufferLengths ||
        reinterpret_cast<uintptr_t>(event.buffers[0]) != address ||
        event.bufferLengths[0] != length)
      return "bad buffers " + name;
    return name + " " + message["timestamp"].dump();
  }

  DeliveryWatch& watch_;
  mutable std::mutex mutex_;
  std::vector<std::string> seen_;
};

}  // namespace stress
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
