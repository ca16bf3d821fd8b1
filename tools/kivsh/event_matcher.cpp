#include "event_matcher.h"

#include <cstdlib>

namespace kivsh {

using nlohmann::json;

const json* findPath(const json& root, const std::string& path) {
  const json* node = &root;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t dot = path.find('.', start);
    const std::string part = path.substr(start, dot == std::string::npos ? dot : dot - start);
    if (node->is_object()) {
      auto it = node->find(part);
      if (it == node->end()) return nullptr;
      node = &*it;
    } else if (node->is_array()) {
      char* end = nullptr;
      const unsigned long index = std::strtoul(part.c_str(), &end, 10);
      if (part.empty() || *end != '\0' || index >= node->size()) return nullptr;
      node = &(*node)[index];
    } else {
      return nullptr;
    }
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  return node;
}

bool payloadIndexOf(const std::string& path, size_t& index) {
  if (path == "payload") {
    index = 0;
    return true;
  }
  if (path.compare(0, 8, "payload[") != 0 || path.size() < 10 || path.back() != ']') return false;
  const std::string digits = path.substr(8, path.size() - 9);
  char* end = nullptr;
  index = std::strtoul(digits.c_str(), &end, 10);
  return !digits.empty() && *end == '\0';
}

bool valueMatches(const json& actual, const json& expected) {
  if (actual == expected) return true;
  if (actual.is_string() && expected.is_primitive() && !expected.is_string()) {
    return actual.get<std::string>() == expected.dump();
  }
  return false;
}

bool eventMatches(const ReceivedEvent& event, const std::string& name,
                  const std::vector<Expectation>& expectations) {
  if (event.name != name) return false;
  json data;
  bool parsed = false;
  for (const Expectation& e : expectations) {
    if (e.onPayload) {
      if (e.payloadIndex >= event.payloads.size() || event.payloads[e.payloadIndex] != e.bytes) {
        return false;
      }
      continue;
    }
    if (!parsed) {
      data = json::parse(event.data, nullptr, false);
      parsed = true;
    }
    const json* actual = findPath(data, e.path);
    if (!actual || !valueMatches(*actual, e.value)) return false;
  }
  return true;
}

}  // namespace kivsh
