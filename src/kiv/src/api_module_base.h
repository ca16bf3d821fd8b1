// Every API module answers a call by looking the full API name up in its own
// table and running the bound operation under the module's lock.
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmo {
namespace quon {
namespace kiv {

using json = nlohmann::json;

// Parameter JSON in (the record readers add "_quon_data" to it), result out.
using ApiHandler = std::function<int(json& params, json& result)>;

constexpr int kCodeOk = 0;
constexpr int kCodeNullEngine = -1;
constexpr int kCodeBadParams = -2;
constexpr int kCodeNoModule = -4;
constexpr int kCodeNoClient = -7;
constexpr int kCodeUnknownApi = -1009;

struct ApiHandlerTable {
  std::unordered_map<std::string, ApiHandler> handlers;
  std::mutex lock;  // guards the map and every call made through it
};

class ApiModuleBase {
 public:
  ApiModuleBase() = default;
  ApiModuleBase(const ApiModuleBase&) = delete;
  ApiModuleBase& operator=(const ApiModuleBase&) = delete;
  virtual ~ApiModuleBase() = default;

  // Runs the handler registered under apiName while holding the table lock;
  // -1009 with the result untouched when the name is not registered.
  virtual int Invoke(const char* apiName, json& params, json& result);

  // The registered API names, sorted; for reference documents and tests.
  std::vector<std::string> apiNames();

 protected:
  // The first registration of a name wins; later ones are discarded.
  void registerHandler(const std::string& apiName, ApiHandler handler);

  ApiHandlerTable table_;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
