// A request as the in-process backend runs it: under the service's lock,
// for an admitted client, with the events that follow its result.
#pragma once

#include <cstdint>
#include <vector>

#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/in_process/loopback_service.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

struct Request {
  ServiceState& state;
  ClientRecord& client;
  uint64_t id;
  // Events for the requester that follow its result (snapshots after a subscribe).
  std::vector<Event> followUps;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
