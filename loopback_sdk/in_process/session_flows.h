// A client's session: logging out (or being released) leaves everything, and
// a dropped connection comes back after the client's reconnect delay.
#pragma once

#include <cstdint>

#include "loopback_sdk/in_process/service_state.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// Leaves every channel (telling the others), stops following user metadata,
// frees the client's locks after their ttl and drops its waiting acquisitions
// (answering them with kLockAcquireCancelled when answerWaiters is set).
void leaveEverything(ServiceState& state, uint64_t clientId, bool answerWaiters);

// Names of the message channels the client subscribes to and stream channels it joined.
std::vector<std::string> channelNamesOf(const ServiceState& state, uint64_t clientId);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
