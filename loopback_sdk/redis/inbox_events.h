// Events that the shared service sends through Redis, turned back into the
// callbacks the in-process service would queue.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// The callback for one event object ({k = kind, ...}); none for a kind this
// build does not know, so a newer peer's event is skipped, not misread.
std::optional<Event> eventFromService(const nlohmann::json& event);

// Each module of the backend names the event kinds its service part sends.
using ServiceEventReader = std::optional<Event> (*)(const nlohmann::json& event);
bool addServiceEventKind(const std::string& kind, ServiceEventReader reader);

// Fields of an event object, empty or zero when absent or of another kind.
std::string textOf(const nlohmann::json& event, const char* key);
int64_t numberOf(const nlohmann::json& event, const char* key);
// {ct = type, ch = name}
ChannelKey channelOf(const nlohmann::json& event);
// A state or metadata map ({} or an empty array when empty).
StateMap stateOf(const nlohmann::json& value);

// An inbox message: the local client ids it is for, and its event.
struct InboxMessage {
  std::vector<uint64_t> recipients;
  nlohmann::json event;
};
// False when the bytes are not such a message.
bool readInboxMessage(const std::string& bytes, InboxMessage& message);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
