// Why a call was refused, in words a host developer can act on: which key is
// missing or of the wrong kind (-2), and which API names are near an unknown
// one (-4, -1009). The codes and results themselves never change.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "src/kiv/src/api_module_base.h"

namespace velmo {
namespace quon {
namespace kiv {

// Names the API in this thread's diagnostics while it is in scope (nested
// calls from a sink restore the outer name).
class ApiNameInScope {
 public:
  explicit ApiNameInScope(const char* apiName);
  ~ApiNameInScope();
  ApiNameInScope(const ApiNameInScope&) = delete;
  ApiNameInScope& operator=(const ApiNameInScope&) = delete;

 private:
  const char* outer_;
};

// Error line: the key, what the parameters hold there, and the kind wanted.
void reportBadKey(const json& params, const KeyDescription& wanted);
// Error line for a key whose value is of the right kind but cannot be used.
void reportBadValue(const char* key, const char* why);
// Error line for a text that holds a NUL character, by its path in the
// parameters ("config.appId", "items[2].value").
void reportNulInText(const std::string& path);
// Error line for an API name nobody answers, with the near names.
void reportUnknownName(const char* apiName, const char* why,
                       const std::vector<std::string>& knownNames);

// Up to three known names closest to name by edit distance, nearest first,
// counting only those a plausible slip away.
std::vector<std::string> nearNames(std::string_view name, const std::vector<std::string>& known);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
