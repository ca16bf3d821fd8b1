// The setParameters keys the stand-in acts on (docs/loopback-sdk.md). Other
// keys are accepted and ignored.
#pragma once

#include <cstdint>
#include <optional>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

struct ClientParameters {
  std::optional<uint32_t> failNextRequests;  // "loopback.fail_next_requests"
  std::optional<int> failErrorCode;          // "loopback.fail_error_code"
  bool dropConnection = false;               // "loopback.drop_connection": true
  std::optional<uint32_t> reconnectDelayMs;  // "loopback.reconnect_delay_ms"
  std::optional<uint32_t> ttlUnitMs;         // "loopback.ttl_unit_ms", process-wide
  bool tokenWillExpire = false;              // "loopback.token_will_expire": true
};

// kOk, or kInvalidParameters when the text is not a JSON object or one of the
// keys above holds a value of the wrong kind or range (then nothing applies).
int parseClientParameters(const char* text, ClientParameters& parameters);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
