#include "src/kiv/src/param_diagnostics.h"

#include <algorithm>
#include <utility>

#include "common/includes/quon_log.h"
#include "src/kiv/src/edit_distance.h"

namespace velmo {
namespace quon {
namespace kiv {

namespace {

thread_local const char* tCurrentApiName = nullptr;

const char* currentApiName() { return tCurrentApiName ? tCurrentApiName : "(direct call)"; }

// What a JSON value is, as a host would say it.
std::string found(const json& params, const std::string& key) {
  if (!params.is_object())
    return params.is_null() ? "is missing (no parameters)"
                            : "is missing (parameters are not an object)";
  auto at = params.find(key);
  if (at == params.end()) return "is missing";
  return std::string("is ") + (at->is_string()    ? "a string"
                               : at->is_number()  ? "a number"
                               : at->is_boolean() ? "a boolean"
                               : at->is_object()  ? "an object"
                               : at->is_array()   ? "an array"
                                                  : "null");
}

std::string wantedText(const KeyDescription& wanted) {
  std::string text = wanted.kind;
  if (!wanted.items.empty()) text += " of " + wanted.items;
  if (!wanted.record.empty()) text += " (" + wanted.record + ")";
  return text;
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

ApiNameInScope::ApiNameInScope(const char* apiName) : outer_(tCurrentApiName) {
  tCurrentApiName = apiName;
}

ApiNameInScope::~ApiNameInScope() { tCurrentApiName = outer_; }

void reportBadKey(const json& params, const KeyDescription& wanted) {
  QUON_LOG_ERROR("api name {} key \"{}\" {}, wanted {}", currentApiName(), wanted.key,
                 found(params, wanted.key), wantedText(wanted));
}

void reportBadValue(const char* key, const char* why) {
  QUON_LOG_ERROR("api name {} key \"{}\" {}", currentApiName(), key, why);
}

void reportNulInText(const std::string& path) {
  reportBadValue(path.c_str(),
                 "contains a NUL character: the SDK would take the text only up to it");
}

void reportUnknownName(const char* apiName, const char* why,
                       const std::vector<std::string>& knownNames) {
  const std::vector<std::string> closest = nearNames(apiName, knownNames);
  if (closest.empty())
    QUON_LOG_ERROR("api name {} {}", apiName, why);
  else
    QUON_LOG_ERROR("api name {} {}; near names: {}", apiName, why, joined(closest));
}

std::vector<std::string> nearNames(std::string_view name, const std::vector<std::string>& known) {
  // A slip: a few characters, or a quarter of the name for long ones.
  const size_t allowed = std::max<size_t>(3, name.size() / 4);
  std::vector<std::pair<size_t, std::string>> scored;
  for (const std::string& candidate : known) {
    const size_t distance = velmo::editDistance(name, candidate);
    if (distance <= allowed) scored.emplace_back(distance, candidate);
  }
  std::sort(scored.begin(), scored.end());
  std::vector<std::string> closest;
  for (size_t i = 0; i < scored.size() && i < 3; ++i) closest.push_back(scored[i].second);
  return closest;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
