// The kinds of event body keys. Each kind turns one callback argument (two
// for a list: pointer and count) into keys of the event's JSON body, may
// point the event's buffers at a payload, and describes its keys for the
// catalogue. An EventRow is one event: its name and its kinds in argument
// order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "src/kiv/src/event/event_buffers.h"
#include "src/kiv/src/json/kiv_record_fields.h"
#include "velmo_kiv_sdk/kiv_event_handler.h"

namespace velmo {
namespace quon {
namespace kiv {

// The payload buffers that an event carries besides its JSON text.
enum class EventPayload {
  kNone,
  kMessage,            // one buffer: the message event's payload
  kPerHistoryMessage,  // one buffer per message of the history result
};

// One key of an event body.
struct EventKey {
  std::string name;
  std::string jsonType;  // "unsigned integer", "integer", "string", "object" or "array"
  std::string record;    // the SDK record of an object or of array elements, else ""
};

// One event of the catalogue, for documentation and tests.
struct EventDescription {
  std::string callback;        // the SDK callback, e.g. "onLoginResult"
  std::string eventName;       // e.g. "KivEventHandler_onLoginResult_4f46899"
  std::vector<EventKey> keys;  // in argument order, each "_str" twin after its number
  EventPayload payload;
};

namespace event_keys {

template <class Record>
struct RecordName;
#define KIV_RECORD_NAME(Record)                   \
  template <>                                     \
  struct RecordName<sdk::Record> {                \
    static constexpr const char* value = #Record; \
  }
KIV_RECORD_NAME(LinkStateEvent);
KIV_RECORD_NAME(MessageEvent);
KIV_RECORD_NAME(PresenceEvent);
KIV_RECORD_NAME(TopicEvent);
KIV_RECORD_NAME(LockEvent);
KIV_RECORD_NAME(StorageEvent);
KIV_RECORD_NAME(TokenEvent);
KIV_RECORD_NAME(UserList);
KIV_RECORD_NAME(Metadata);
KIV_RECORD_NAME(UserState);
KIV_RECORD_NAME(LockDetail);
KIV_RECORD_NAME(ChannelInfo);
KIV_RECORD_NAME(HistoryMessage);
#undef KIV_RECORD_NAME

// An unsigned 64-bit value and its decimal text ("requestId", "newStart").
struct Unsigned64 {
  using Params = std::tuple<uint64_t>;
  static constexpr EventPayload kPayload = EventPayload::kNone;
  const char* key;
  const char* twinKey;
  void write(json& body, EventBuffers&, uint64_t value) const {
    fields::writeTwin(body, key, twinKey, value);
  }
  void describe(std::vector<EventKey>& keys) const {
    keys.push_back({key, "unsigned integer", ""});
    keys.push_back({twinKey, "string", ""});
  }
};

// A NUL-terminated string; null becomes "".
struct Text {
  using Params = std::tuple<const char*>;
  static constexpr EventPayload kPayload = EventPayload::kNone;
  const char* key;
  void write(json& body, EventBuffers&, const char* value) const {
    body[key] = fields::textOf(value);
  }
  void describe(std::vector<EventKey>& keys) const { keys.push_back({key, "string", ""}); }
};

// An error code, state, reason or other SDK enumeration.
struct Integer {
  using Params = std::tuple<int>;
  static constexpr EventPayload kPayload = EventPayload::kNone;
  const char* key;
  void write(json& body, EventBuffers&, int value) const { body[key] = value; }
  void describe(std::vector<EventKey>& keys) const { keys.push_back({key, "integer", ""}); }
};

// One record in its JSON form. The message event's payload leaves as a buffer.
template <class Record>
struct Object {
  using Params = std::tuple<Record>;
  static constexpr EventPayload kPayload =
      std::is_same<Record, sdk::MessageEvent>::value ? EventPayload::kMessage : EventPayload::kNone;
  const char* key;
  void write(json& body, EventBuffers& buffers, const Record& value) const {
    toJson(body[key], value);
    if constexpr (kPayload == EventPayload::kMessage)
      buffers.setSingle(value.message, value.messageLength);
  }
  void describe(std::vector<EventKey>& keys) const {
    keys.push_back({key, "object", RecordName<Record>::value});
  }
};

// An array of records followed by "count" and "count_str", which report the
// count as given even when the pointer is null. History payloads leave as
// one buffer per message.
template <class Record>
struct List {
  using Params = std::tuple<const Record*, size_t>;
  static constexpr EventPayload kPayload = std::is_same<Record, sdk::HistoryMessage>::value
                                               ? EventPayload::kPerHistoryMessage
                                               : EventPayload::kNone;
  const char* key;
  void write(json& body, EventBuffers& buffers, const Record* items, size_t count) const {
    json& array = body[key];
    array = json::array();
    if (items && count) {
      array.get_ptr<json::array_t*>()->reserve(count);
      for (size_t i = 0; i < count; ++i) {
        array.emplace_back();
        toJson(array.back(), items[i]);
      }
    }
    fields::writeTwin(body, KIV_TWIN("count"), count);
    if constexpr (kPayload == EventPayload::kPerHistoryMessage) buffers.setPerMessage(items, count);
  }
  void describe(std::vector<EventKey>& keys) const {
    keys.push_back({key, "array", RecordName<Record>::value});
    keys.push_back({"count", "unsigned integer", ""});
    keys.push_back({"count_str", "string", ""});
  }
};

constexpr Unsigned64 requestId() { return {KIV_TWIN("requestId")}; }
constexpr Unsigned64 unsigned64(const char* key, const char* twinKey) { return {key, twinKey}; }
constexpr Text text(const char* key) { return {key}; }
constexpr Integer integer(const char* key) { return {key}; }
template <class Record>
constexpr Object<Record> object(const char* key) {
  return {key};
}
template <class Record>
constexpr List<Record> list(const char* key) {
  return {key};
}

}  // namespace event_keys

template <class... Keys>
struct EventRow {
  // The callback's parameter types (decayed), in order.
  using Params = decltype(std::tuple_cat(std::declval<typename Keys::Params>()...));
  static constexpr EventPayload kPayload = std::max({EventPayload::kNone, Keys::kPayload...});

  const char* callback;
  const char* eventName;
  std::tuple<Keys...> keys;

  // Adds one or more keys per argument, in argument order, to body.
  template <class... Args>
  void build(json& body, EventBuffers& buffers, const Args&... args) const {
    static_assert(std::is_same<Params, std::tuple<std::decay_t<Args>...>>::value,
                  "the arguments do not match the event's keys");
    buildFrom<0, 0>(body, buffers, std::forward_as_tuple(args...));
  }

  EventDescription describe() const {
    EventDescription description{callback, eventName, {}, kPayload};
    std::apply([&](const auto&... key) { (key.describe(description.keys), ...); }, keys);
    return description;
  }

 private:
  template <size_t KeyIndex, size_t ArgIndex, class ArgTuple>
  void buildFrom(json& body, EventBuffers& buffers, const ArgTuple& args) const {
    if constexpr (KeyIndex < sizeof...(Keys)) {
      const auto& key = std::get<KeyIndex>(keys);
      constexpr size_t arity = std::tuple_size<typename std::decay_t<decltype(key)>::Params>::value;
      if constexpr (arity == 1)
        key.write(body, buffers, std::get<ArgIndex>(args));
      else
        key.write(body, buffers, std::get<ArgIndex>(args), std::get<ArgIndex + 1>(args));
      buildFrom<KeyIndex + 1, ArgIndex + arity>(body, buffers, args);
    }
  }
};

template <class... Keys>
constexpr EventRow<Keys...> describeEvent(const char* callback, const char* eventName,
                                          Keys... keys) {
  return {callback, eventName, std::make_tuple(keys...)};
}

// True when row's keys take exactly the parameters of the SDK callback.
template <class Row, class... Args>
constexpr bool matchesCallback(const Row&, void (sdk::IKivEventHandler::*)(Args...)) {
  return std::is_same<typename Row::Params, std::tuple<std::decay_t<Args>...>>::value;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
