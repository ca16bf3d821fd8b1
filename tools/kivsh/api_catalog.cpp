#include "api_catalog.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "api_description_text.h"
#include "src/kiv/src/edit_distance.h"

namespace kivsh {

using nlohmann::json;

namespace {

std::string listed(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string withNearNames(std::string message, const std::vector<std::string>& closest) {
  if (!closest.empty()) message += "; did you mean " + listed(closest) + "?";
  return message;
}

std::vector<std::string> split(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t dot = path.find('.', start);
    parts.push_back(path.substr(start, dot == std::string::npos ? dot : dot - start));
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

bool isIndex(const std::string& part) {
  return !part.empty() && std::all_of(part.begin(), part.end(),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Besides its own name, a key brings its "_str" twin and, for an array, the
// count of its elements and that count's twin: keys of their own in a body.
const char* const kCompanionNames[] = {"twin", "count", "countTwin"};

std::vector<std::string> keyNames(const json& keys) {
  std::vector<std::string> names;
  for (const json& key : keys) {
    names.push_back(key.value("key", ""));
    for (const char* companion : kCompanionNames) {
      if (key.contains(companion)) names.push_back(key.value(companion, ""));
    }
  }
  return names;
}

// The key named `name`; `own` tells whether it is the key itself (which may
// hold a record) rather than one of its companions (which hold numbers or text).
const json* findKey(const json& keys, const std::string& name, bool& own) {
  for (const json& key : keys) {
    own = key.value("key", "") == name;
    if (own) return &key;
    for (const char* companion : kCompanionNames) {
      if (key.value(companion, "") == name) return &key;
    }
  }
  return nullptr;
}

// Whether a JSON value is of a kind the library accepts (see the reference's kinds).
bool ofKind(const json& value, const std::string& kind) {
  if (kind == "string") return value.is_string();
  if (kind == "boolean") return value.is_boolean();
  if (kind == "object") return value.is_object();
  if (kind == "array") return value.is_array();
  return value.is_number();  // integer, unsigned, number, length, address and the 64-bit ones
}

}  // namespace

ApiCatalog::ApiCatalog(const std::string& text) {
  description_ = json::parse(text, nullptr, false);
  available_ = description_.is_object() && description_.contains("apis") &&
               description_["apis"].is_array() && description_.contains("events") &&
               description_["events"].is_array();
}

const ApiCatalog& ApiCatalog::builtIn() {
  static const ApiCatalog description(kApiDescriptionText);
  return description;
}

const json* ApiCatalog::find(const char* list, const std::string& name) const {
  for (const json& entry : description_[list]) {
    if (entry.value("name", "") == name) return &entry;
  }
  return nullptr;
}

std::vector<std::string> ApiCatalog::names(const char* list) const {
  std::vector<std::string> all;
  for (const json& entry : description_[list]) all.push_back(entry.value("name", ""));
  return all;
}

const json* ApiCatalog::record(const std::string& name) const {
  if (!description_.contains("records")) return nullptr;
  for (const json& entry : description_["records"]) {
    if (entry.value("name", "") == name) return &entry;
  }
  return nullptr;
}

std::vector<std::string> ApiCatalog::nearNames(const std::string& name,
                                               const std::vector<std::string>& names) {
  const size_t limit = std::max<size_t>(2, name.size() / 3);
  std::vector<std::pair<size_t, std::string>> ranked;
  for (const std::string& candidate : names) {
    // Case-insensitive: "logn" is one from "login".
    const size_t d = velmo::editDistance(name, candidate, velmo::LetterCase::Ignored);
    if (d <= limit) ranked.emplace_back(d, candidate);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> closest;
  for (size_t i = 0; i < ranked.size() && i < 3; ++i) closest.push_back(ranked[i].second);
  return closest;
}

std::string ApiCatalog::checkWait(const std::string& event,
                                  const std::vector<std::string>& paths) const {
  if (!available_) return std::string();
  const json* entry = find("events", event);
  if (!entry) {
    return withNearNames("no event is named " + event, nearNames(event, names("events")));
  }
  for (const std::string& path : paths) {
    const json* keys = &(*entry)["keys"];
    std::string where = event;
    for (const std::string& part : split(path)) {
      if (!keys) break;  // past what the description knows
      if (isIndex(part)) continue;
      bool own = false;
      const json* key = findKey(*keys, part, own);
      if (!key) {
        return withNearNames("\"" + path + "\": " + where + " has no key \"" + part + "\"",
                             nearNames(part, keyNames(*keys)));
      }
      const json* fields = nullptr;
      if (own && key->contains("record")) {
        if (const json* r = record(key->value("record", ""))) fields = &(*r)["fields"];
      }
      keys = fields;
      where = "\"" + part + "\"";
    }
  }
  return std::string();
}

std::string ApiCatalog::checkCall(const std::string& api, const json& params) const {
  if (!available_) return std::string();
  const json* entry = find("apis", api);
  if (!entry) {
    return withNearNames("no API is named " + api, nearNames(api, names("apis")));
  }
  const json optional = entry->value("optionalKeys", json::array());
  for (const json& key : entry->value("keys", json::array())) {
    const std::string name = key.value("key", "");
    const std::string kind = key.value("kind", "");
    // Filled in from the call's buffer (by the library) or its size (by the shell).
    if (key.contains("filledBy") || kind == "length") continue;
    const bool isOptional = std::find(optional.begin(), optional.end(), name) != optional.end();
    std::string wanted = kind;
    if (key.contains("record")) wanted += " " + key.value("record", "");
    const auto value = params.is_object() ? params.find(name) : params.end();
    if (!params.is_object() || value == params.end()) {
      if (isOptional) continue;
      return api + " needs \"" + name + "\" (" + wanted + ")";
    }
    if (!ofKind(*value, kind)) {
      return api + ": \"" + name + "\" must be " + wanted + ", not " + value->type_name();
    }
  }
  return std::string();
}

}  // namespace kivsh
