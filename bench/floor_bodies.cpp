#include "bench/floor_bodies.h"

#include <cstdint>

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

void putTwin(json& out, const char* key, const char* twinKey, uint64_t value) {
  out[key] = value;
  out[twinKey] = std::to_string(value);
}

uint64_t address(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

// An empty list in its JSON form, as the SDK's null array with count 0 gives.
json emptyUserList() {
  json list;
  list["users"] = json::array();
  putTwin(list, "userCount", "userCount_str", 0);
  return list;
}

// Arrays are reserved and their elements built in place: the floor is the
// direct way done well.
json& reservedArray(json& slot, size_t count) {
  slot = json::array();
  slot.get_ptr<json::array_t*>()->reserve(count);
  return slot;
}

void putUserState(json& out, const sdk::UserState& user) {
  out["userId"] = user.userId;
  json& states = reservedArray(out["states"], user.statesCount);
  for (size_t i = 0; i < user.statesCount; ++i) {
    json& state = states.emplace_back();
    state["key"] = user.states[i].key;
    state["value"] = user.states[i].value;
  }
  putTwin(out, "statesCount", "statesCount_str", user.statesCount);
}

}  // namespace

json loginResultBody(uint64_t requestId, int errorCode) {
  json body;
  putTwin(body, "requestId", "requestId_str", requestId);
  body["errorCode"] = errorCode;
  return body;
}

json messageEventBody(const sdk::MessageEvent& e) {
  json event;
  event["channelType"] = e.channelType;
  event["messageType"] = e.messageType;
  event["channelName"] = e.channelName;
  event["channelTopic"] = e.channelTopic;
  putTwin(event, "message", "message_str", address(e.message));
  putTwin(event, "messageLength", "messageLength_str", e.messageLength);
  event["publisher"] = e.publisher;
  event["customType"] = e.customType;
  putTwin(event, "timestamp", "timestamp_str", e.timestamp);
  json body;
  body["event"] = std::move(event);
  return body;
}

json presenceEventBody(const sdk::PresenceEvent& e) {
  json event;
  event["type"] = e.type;
  event["channelType"] = e.channelType;
  event["channelName"] = e.channelName;
  event["publisher"] = e.publisher;
  event["stateItems"] = json::array();
  putTwin(event, "stateItemCount", "stateItemCount_str", 0);
  json& interval = event["interval"];
  interval["joinUserList"] = emptyUserList();
  interval["leaveUserList"] = emptyUserList();
  interval["timeoutUserList"] = emptyUserList();
  interval["userStateList"] = json::array();
  putTwin(interval, "userStateCount", "userStateCount_str", 0);
  json& snapshot = event["snapshot"];
  json& users = reservedArray(snapshot["userStateList"], e.snapshot.userCount);
  for (size_t i = 0; i < e.snapshot.userCount; ++i)
    putUserState(users.emplace_back(), e.snapshot.userStateList[i]);
  putTwin(snapshot, "userCount", "userCount_str", e.snapshot.userCount);
  putTwin(event, "timestamp", "timestamp_str", e.timestamp);
  json body;
  body["event"] = std::move(event);
  return body;
}

json historyResultBody(uint64_t requestId, const sdk::HistoryMessage* messages, size_t count,
                       uint64_t newStart, int errorCode) {
  json body;
  putTwin(body, "requestId", "requestId_str", requestId);
  json& list = reservedArray(body["messageList"], count);
  for (size_t i = 0; i < count; ++i) {
    const sdk::HistoryMessage& m = messages[i];
    json& message = list.emplace_back();
    message["messageType"] = m.messageType;
    message["publisher"] = m.publisher;
    putTwin(message, "message", "message_str", address(m.message));
    putTwin(message, "messageLength", "messageLength_str", m.messageLength);
    message["customType"] = m.customType;
    putTwin(message, "timestamp", "timestamp_str", m.timestamp);
  }
  putTwin(body, "count", "count_str", count);
  putTwin(body, "newStart", "newStart_str", newStart);
  body["errorCode"] = errorCode;
  return body;
}

json acceptedResult(uint64_t requestId) {
  json result;
  result["result"] = 0;
  result["requestId"] = requestId;
  return result;
}

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
