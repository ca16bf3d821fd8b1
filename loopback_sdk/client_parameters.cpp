#include "loopback_sdk/client_parameters.h"

#include <limits>
#include <nlohmann/json.hpp>

#include "loopback_sdk/error_codes.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

namespace {

using nlohmann::json;

template <class T>
bool readInteger(const json& object, const char* key, std::optional<T>& out) {
  auto it = object.find(key);
  if (it == object.end()) return true;
  if (!it->is_number_integer()) return false;
  if (it->is_number_unsigned()) {
    const auto value = it->get<uint64_t>();
    if (value > static_cast<uint64_t>(std::numeric_limits<T>::max())) return false;
    out = static_cast<T>(value);
    return true;
  }
  const auto value = it->get<int64_t>();
  if (value < static_cast<int64_t>(std::numeric_limits<T>::min()) ||
      value > static_cast<int64_t>(std::numeric_limits<T>::max()))
    return false;
  out = static_cast<T>(value);
  return true;
}

bool readFlag(const json& object, const char* key, bool& out) {
  auto it = object.find(key);
  if (it == object.end()) return true;
  if (!it->is_boolean()) return false;
  out = it->get<bool>();
  return true;
}

}  // namespace

int parseClientParameters(const char* text, ClientParameters& parameters) {
  if (!text) return kInvalidParameters;
  const json object = json::parse(text, nullptr, false);
  if (!object.is_object()) return kInvalidParameters;
  ClientParameters read;
  const bool ok = readInteger(object, "loopback.fail_next_requests", read.failNextRequests) &&
                  readInteger(object, "loopback.fail_error_code", read.failErrorCode) &&
                  readFlag(object, "loopback.drop_connection", read.dropConnection) &&
                  readInteger(object, "loopback.reconnect_delay_ms", read.reconnectDelayMs) &&
                  readInteger(object, "loopback.ttl_unit_ms", read.ttlUnitMs) &&
                  readFlag(object, "loopback.token_will_expire", read.tokenWillExpire);
  if (!ok) return kInvalidParameters;
  parameters = read;
  return kOk;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
