#include "loopback_sdk/redis/inbox_events.h"

#include <cstdlib>
#include <map>
#include <memory>

#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_constants.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using nlohmann::json;

namespace {

std::map<std::string, ServiceEventReader>& readers() {
  static std::map<std::string, ServiceEventReader> table;
  return table;
}

}  // namespace

bool addServiceEventKind(const std::string& kind, ServiceEventReader reader) {
  readers()[kind] = reader;
  return true;
}

std::string textOf(const json& event, const char* key) {
  auto it = event.find(key);
  return it != event.end() && it->is_string() ? it->get<std::string>() : std::string();
}

int64_t numberOf(const json& event, const char* key) {
  auto it = event.find(key);
  return it != event.end() && it->is_number() ? it->get<int64_t>() : 0;
}

ChannelKey channelOf(const json& event) {
  return {static_cast<int>(numberOf(event, "ct")), textOf(event, "ch")};
}

// State arrives as {{key, value}...} in its order, or as an object; an empty
// Lua table may come as either.
StateMap stateOf(const json& value) {
  StateMap state;
  if (value.is_object()) {
    for (auto it = value.begin(); it != value.end(); ++it)
      if (it->is_string()) state.emplace_back(it.key(), it->get<std::string>());
  } else if (value.is_array()) {
    for (const json& pair : value)
      if (pair.is_array() && pair.size() == 2 && pair[0].is_string() && pair[1].is_string())
        state.emplace_back(pair[0].get<std::string>(), pair[1].get<std::string>());
  }
  return state;
}

std::optional<Event> eventFromService(const json& event) {
  if (!event.is_object()) return std::nullopt;
  const std::string kind = textOf(event, "k");
  const auto timestamp = static_cast<uint64_t>(numberOf(event, "ts"));
  if (kind == "message") {
    auto message = std::make_shared<MessageCopy>();
    message->messageType = static_cast<int>(numberOf(event, "mt"));
    message->publisher = textOf(event, "pub");
    message->payload = textOf(event, "pl");
    message->customType = textOf(event, "cu");
    message->timestamp = timestamp;
    return messageEvent(static_cast<int>(numberOf(event, "ct")), textOf(event, "ch"), "",
                        std::move(message));
  }
  if (kind == "presence") {
    const std::string change = textOf(event, "kind");
    const PresenceChange type = change == "join"    ? PresenceChange::kJoin
                                : change == "leave" ? PresenceChange::kLeave
                                                    : PresenceChange::kState;
    return presenceInterval(channelOf(event), type, textOf(event, "u"),
                            stateOf(event.contains("s") ? event.at("s") : json()), timestamp);
  }
  if (kind == "snapshot") {
    std::vector<UserStateCopy> users;
    for (const json& user : event.value("users", json::array()))
      if (user.is_array() && user.size() == 2 && user[0].is_string())
        users.push_back({user[0].get<std::string>(), stateOf(user[1])});
    return presenceSnapshot(channelOf(event), std::move(users), timestamp);
  }
  auto reader = readers().find(kind);
  if (reader != readers().end()) return reader->second(event);
  return std::nullopt;
}

bool readInboxMessage(const std::string& bytes, InboxMessage& message) {
  const json parsed = json::from_msgpack(bytes, true, false);
  if (!parsed.is_object() || !parsed.contains("to") || !parsed["to"].is_array()) return false;
  message.recipients.clear();
  for (const json& id : parsed["to"]) {
    if (!id.is_string()) return false;
    message.recipients.push_back(std::strtoull(id.get<std::string>().c_str(), nullptr, 10));
  }
  message.event = parsed.value("ev", json());
  return true;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
