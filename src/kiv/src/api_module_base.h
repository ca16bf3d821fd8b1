// Every API module answers a call by looking the full API name up in its own
// table and running the bound operation under the module's lock.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <unordered_map>
#include <utility>
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

// The codes above as hosts see them.
struct CodeDescription {
  int code;
  const char* name;
  const char* meaning;
};
inline constexpr CodeDescription kCallCodes[] = {
    {kCodeOk, "ok", "success"},
    {kCodeNullEngine, "nullEngine", "the engine handle is null"},
    {kCodeBadParams, "badParams", "parameters missing, malformed or of another kind"},
    {kCodeNoModule, "noModule", "no module answers the prefix of the API name"},
    {kCodeNoClient, "noClient", "no SDK client (or sub-interface) to call"},
    {kCodeUnknownApi, "unknownApi", "the module does not know the API name"},
};

// One key of a call, as hosts see it (reference documents, bindings).
struct KeyDescription {
  KeyDescription(std::string keyName, std::string kindName, std::string recordName = "",
                 std::string itemsKind = "", std::string filledFrom = "")
      : key(std::move(keyName)),
        kind(std::move(kindName)),
        record(std::move(recordName)),
        items(std::move(itemsKind)),
        filledBy(std::move(filledFrom)) {}

  std::string key;
  std::string kind;      // "string", "integer", "unsigned", "length", "address", ...
  std::string record;    // the record of an "object" key or of an array's elements
  std::string items;     // the element kind of an "array" key: "string" or "object"
  std::string filledBy;  // "payload": the engine fills it from the call's buffer
  std::string countOf;   // the array key whose leading elements this count takes
  bool optional = false;
};

// One key of a call's result.
struct ResultKey {
  std::string name;
  std::string kind;
};

// What a call takes and answers.
struct ApiDescription {
  std::string mode;  // "async": request id now, outcome as an event; "sync"; "local"
  std::vector<KeyDescription> keys;  // in the order they are read
  std::string buffer;                // what the call's buffer becomes: "", "payload", "eventSink"
  std::vector<ResultKey> result;     // the result keys
  int code = 0;                      // the code of a successful call
};

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

  // Every registered API name with its description, sorted by name.
  virtual std::vector<std::pair<std::string, ApiDescription>> describeApis();

 protected:
  // Invoke without the error line for an unknown name, for a module that
  // passes such names on.
  int invokeRegistered(const char* apiName, json& params, json& result);

  // The first registration of a name wins; later ones are discarded.
  void registerHandler(const std::string& apiName, ApiHandler handler, ApiDescription description);

  ApiHandlerTable table_;

 private:
  std::map<std::string, ApiDescription> descriptions_;  // written only while constructing
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
