// The checks of a wait line against one received event.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "payload.h"
#include "user_session.h"

namespace kivsh {

struct Expectation {
  std::string label;  // "key=value" as reported
  bool onPayload = false;
  size_t payloadIndex = 0;
  Bytes bytes;           // onPayload: the expected bytes
  std::string path;      // dotted path into the event JSON
  nlohmann::json value;  // the expected value
};

// The value at a dotted path ("event.publisher", "messageList.0.publisher"),
// or null when the path leads nowhere.
const nlohmann::json* findPath(const nlohmann::json& root, const std::string& path);

// "payload" is 0, "payload[2]" is 2; false for any other path.
bool payloadIndexOf(const std::string& path, size_t& index);

// Numbers compare by value whatever their JSON type; a string in the event
// also equals an expected value written without quotes ("id=007").
bool valueMatches(const nlohmann::json& actual, const nlohmann::json& expected);

bool eventMatches(const ReceivedEvent& event, const std::string& name,
                  const std::vector<Expectation>& expectations);

}  // namespace kivsh
