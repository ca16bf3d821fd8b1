#include "src/kiv/src/api_module_base.h"

#include <algorithm>

#include "src/kiv/src/param_diagnostics.h"

namespace velmo {
namespace quon {
namespace kiv {

int ApiModuleBase::Invoke(const char* apiName, json& params, json& result) {
  const int code = invokeRegistered(apiName, params, result);
  if (code == kCodeUnknownApi) reportUnknownName(apiName, "is not known to its module", apiNames());
  return code;
}

int ApiModuleBase::invokeRegistered(const char* apiName, json& params, json& result) {
  const std::string name(apiName);
  std::lock_guard<std::mutex> guard(table_.lock);
  auto it = table_.handlers.find(name);
  if (it == table_.handlers.end()) return kCodeUnknownApi;
  return it->second(params, result);
}

std::vector<std::string> ApiModuleBase::apiNames() {
  std::vector<std::string> names;
  {
    std::lock_guard<std::mutex> guard(table_.lock);
    for (const auto& entry : table_.handlers) names.push_back(entry.first);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::pair<std::string, ApiDescription>> ApiModuleBase::describeApis() {
  std::lock_guard<std::mutex> guard(table_.lock);
  return {descriptions_.begin(), descriptions_.end()};
}

void ApiModuleBase::registerHandler(const std::string& apiName, ApiHandler handler,
                                    ApiDescription description) {
  std::lock_guard<std::mutex> guard(table_.lock);
  if (table_.handlers.emplace(apiName, std::move(handler)).second)
    descriptions_.emplace(apiName, std::move(description));
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
