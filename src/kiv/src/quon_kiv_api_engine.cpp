#include "src/kiv/src/quon_kiv_api_engine.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string_view>

#include "common/includes/quon_log.h"
#include "src/kiv/src/IKivClient_wrapper.h"
#include "src/kiv/src/impl/IKivHistory_wrapper.h"
#include "src/kiv/src/impl/IKivLock_wrapper.h"
#include "src/kiv/src/impl/IKivPresence_wrapper.h"
#include "src/kiv/src/impl/IKivStorage_wrapper.h"
#include "src/kiv/src/impl/IStreamChannel_Manager.h"
#include "src/kiv/src/json/json_numbers.h"
#include "src/kiv/src/json/json_text.h"
#include "src/kiv/src/param_diagnostics.h"
#include "src/kiv/src/param_redaction.h"
#include "velmo_kiv_sdk/velmo_kiv_sdk.h"

namespace velmo {
namespace quon {
namespace kiv {

namespace {

constexpr size_t kMaxResultChars = QUON_KIV_RESULT_BUFFER_SIZE - 1;
constexpr const char* kCreateStreamChannel = "KivClient_createStreamChannel_ae3d0cf";

const char* const* payloadPath() {
  static const char* const kPayload[] = {"message", nullptr};
  return kPayload;
}

// Where the call's single buffer goes in the parameters, for the names that
// take one: the host's sink for "KivClient_create", the payload otherwise.
const char* const* bufferTarget(std::string_view apiName) {
  static const char* const kSink[] = {"config", "eventHandler", nullptr};
  if (apiName == "KivClient_create") return kSink;
  if (apiName == "StreamChannel_publishTopicMessage_a31773e" ||
      apiName == "KivClient_publish_2d36e93")
    return payloadPath();
  return nullptr;
}

// A payload "length" that cannot be right: negative (it would reach the SDK
// as a length near 4 GiB), or longer than the buffer the host says it gave.
// A missing or non-number "length" is left for the module to refuse.
bool payloadLengthFits(const json& params, const unsigned int* bufferLengths) {
  if (!params.is_object()) return true;
  auto length = params.find("length");
  if (length == params.end() || !length->is_number()) return true;
  if (length->is_number_integer() && !length->is_number_unsigned() && length->get<int64_t>() < 0)
    return false;
  if (length->is_number_float() && length->get<double>() < 0) return false;
  return !bufferLengths || numberTo<uint32_t>(*length) <= bufferLengths[0];
}

// Writes the buffer address at path, creating objects on the way. False when
// something on the way exists and is not an object.
bool handOverBuffer(json& params, const char* const* path, void* buffer) {
  if (params.is_null()) params = json::object();
  json* at = &params;
  for (; path[1]; ++path) {
    if (!at->is_object()) return false;
    at = &(*at)[path[0]];
    if (at->is_null()) *at = json::object();
  }
  if (!at->is_object()) return false;
  (*at)[path[0]] = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(buffer));
  return true;
}

// Runs the call in its module. An exception thrown there (no memory for a
// record's array, an SDK that throws) is a refusal like the module's own:
// -2 with the result null, so the host still finds a written result.
int invokeModule(ApiModuleBase& module, const char* apiName, json& params, json& result) {
  try {
    return module.Invoke(apiName, params, result);
  } catch (const std::exception& e) {
    QUON_LOG_ERROR("api name {} failed: {}", apiName, e.what());
  } catch (...) {
    QUON_LOG_ERROR("api name {} failed", apiName);
  }
  result = nullptr;
  return kCodeBadParams;
}

std::string_view moduleKey(std::string_view apiName) {
  if (apiName == kCreateStreamChannel) return "StreamChannel";
  const size_t underscore = apiName.find('_');
  return underscore == std::string_view::npos ? std::string_view() : apiName.substr(0, underscore);
}

}  // namespace

const KivProcTable* builtinProcTable() {
  static const KivProcTable table = {&createKivClient};
  return &table;
}

QuonKivApiEngine::QuonKivApiEngine(::velmo::kiv::IKivClient* client, const KivProcTable* table) {
  auto clientModule =
      std::make_shared<IKivClientWrapper>(client, table ? table : builtinProcTable());
  clientModule_ = clientModule.get();
  std::weak_ptr<IKivClientWrapper> link = clientModule;
  modules_["StreamChannel"] = std::make_shared<IStreamChannelManager>(link);
  modules_["KivStorage"] = std::make_shared<IKivStorageWrapper>(link);
  modules_["KivLock"] = std::make_shared<IKivLockWrapper>(link);
  modules_["KivPresence"] = std::make_shared<IKivPresenceWrapper>(link);
  modules_["KivHistory"] = std::make_shared<IKivHistoryWrapper>(link);
  modules_["KivClient"] = std::move(clientModule);
}

QuonKivApiEngine::~QuonKivApiEngine() {
  // The client module goes last: it releases the SDK client before its bridge.
  std::shared_ptr<ApiModuleBase> clientModule = modules_["KivClient"];
  modules_.clear();
  clientModule.reset();
}

std::vector<std::string> QuonKivApiEngine::allApiNames() {
  std::vector<std::string> names;
  for (auto& entry : modules_) {
    for (std::string& name : entry.second->apiNames()) names.push_back(std::move(name));
  }
  return names;
}

bool QuonKivApiEngine::insideOwnDelivery() const { return clientModule_->insideOwnDelivery(); }

int QuonKivApiEngine::CallApi(ApiParam* param) {
  if (!param || !param->apiName || !param->resultBuffer) return kCodeBadParams;
  return route(*param);
}

int QuonKivApiEngine::route(const ApiParam& param) {
  const char* apiName = param.apiName;
  const bool hasParams = param.params && param.paramsLength != 0;

  // Exactly the bytes the host gave: its text need not end in a NUL. Which
  // text to log is decided only when the line will be written.
  if (QuonLogger::enabled(spdlog::level::info)) {
    const std::string_view given =
        hasParams ? std::string_view(param.params, param.paramsLength) : std::string_view();
    if (isRedactedApi(apiName))
      QUON_LOG_INFO("api name {} params \"{}\"", apiName, redactParams(apiName, given));
    else
      QUON_LOG_INFO("api name {} params \"{}\"", apiName, given);
  }

  const ApiNameInScope naming(apiName);
  const std::string_view key = moduleKey(apiName);
  auto module = key.empty() ? modules_.end() : modules_.find(std::string(key));
  if (module == modules_.end()) {
    reportUnknownName(apiName, "has no module", allApiNames());
    return kCodeNoModule;
  }

  json params;
  if (hasParams) {
    params = json::parse(param.params, param.params + param.paramsLength, nullptr,
                         /*allow_exceptions=*/false, /*ignore_comments=*/false);
    if (params.is_discarded()) {
      QUON_LOG_ERROR("api name {} params parse failed", apiName);
      return kCodeBadParams;
    }
  }

  const char* const* path = bufferTarget(apiName);
  const bool handsOver = path && param.bufferCount == 1;
  if (handsOver && (!param.buffers || !handOverBuffer(params, path, param.buffers[0]))) {
    QUON_LOG_ERROR("api name {} buffer cannot be handed over", apiName);
    return kCodeBadParams;
  }

  // From here on every answer, refusals included, writes the result buffer.
  json result;
  int code = kCodeBadParams;
  if (path == payloadPath() &&
      !payloadLengthFits(params, handsOver ? param.bufferLengths : nullptr)) {
    // A refusal of the module's "length" key, answered as the module answers one.
    QUON_LOG_ERROR("api name {} length does not fit its payload", apiName);
  } else {
    code = invokeModule(*module->second, apiName, params, result);
  }

  const std::string text = dumpCompact(result);
  if (code != kCodeOk)
    QUON_LOG_ERROR("api name {} result {}", apiName, text);
  else
    QUON_LOG_INFO("api name {} result {}", apiName, text);

  const size_t n = std::min(text.size(), kMaxResultChars);
  std::memcpy(param.resultBuffer, text.data(), n);
  param.resultBuffer[n] = '\0';
  return code;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
