// The shape of every asynchronous request: a request id from the service,
// the admission check (injected failures, login, connection), the body, and
// one result event to the requester, queued in request order.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/ids.h"
#include "loopback_sdk/in_process/loopback_service.h"
#include "loopback_sdk/sdk_results.h"

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

// Where the result of a request goes when its client was released: a
// dispatcher of the requesting object's own, or null when there is none.
using ClientGoneReplies = std::function<EventDispatcher*()>;

// body(Request&) returns an error code (or kAnswerLater); result(id, code)
// returns the result event. clientId is read under the service lock. Returns
// the request's error code. A request of a released client is answered
// kClientReleased through whenClientGone, run under the service lock.
template <class Body, class Result>
int runRequest(const uint64_t& clientId, uint64_t& requestId, Need need, Body&& body,
               Result&& result, const ClientGoneReplies& whenClientGone = {}) {
  try {
    return Service::instance().locked([&](ServiceState& state) {
      const uint64_t id = nextRequestId();
      requestId = id;
      int code = state.clients.admit(clientId, need);
      ClientRecord* client = state.clients.find(clientId);
      if (!client) {
        EventDispatcher* replies = whenClientGone ? whenClientGone() : nullptr;
        if (replies) replies->post(result(id, code));
        return code;
      }
      Request request{state, *client, id, {}};
      if (code == kOk) code = body(request);
      if (code != kAnswerLater) state.clients.reply(client->id, result(id, code));
      for (Event& event : request.followUps) state.clients.reply(client->id, std::move(event));
      return code == kAnswerLater ? static_cast<int>(kOk) : code;
    });
  } catch (...) {
    return kFailure;
  }
}

// Channel types that an operation accepts.
inline bool isChannelType(int type, std::initializer_list<int> accepted) {
  for (int t : accepted)
    if (t == type) return true;
  return false;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
