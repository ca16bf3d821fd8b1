// The one shape of every asynchronous request of the SDK face: a request id
// of the process's, an injected failure when one is pending, then the
// backend's admission, body and result; one request of a client at a time,
// so its results queue in request order.
#pragma once

#include <cstdint>
#include <mutex>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/error_codes.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class FaceRequests {
 public:
  FaceRequests(Backend& backend, EventDispatcher& events) : backend_(backend), events_(events) {}
  FaceRequests(const FaceRequests&) = delete;
  FaceRequests& operator=(const FaceRequests&) = delete;

  // Fills requestId and returns the request's code (kOk for one answered
  // later); nothing thrown by the body or the backend leaves it.
  int run(uint64_t& requestId, Need need, const Backend::Body& body,
          const Backend::ResultEvent& result);
  // Runs fn with the client's requests held off: what it queues keeps its
  // place among their results, and a client released from inside one of
  // them is freed only once fn is done with it.
  template <class Fn>
  auto exclusive(Fn&& fn) -> decltype(fn()) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return fn();
  }
  // Waits for a request still returning on another thread to let go.
  void drain() {
    exclusive([] {});
  }
  // The next count requests, whatever they need, fail with code.
  void failNext(uint32_t count);
  void failWith(int code);
  Backend& backend() { return backend_; }

 private:
  Backend& backend_;
  EventDispatcher& events_;
  std::recursive_mutex mutex_;
  uint32_t failNextRequests_ = 0;
  int failErrorCode_ = kInjectedFailure;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
