// The one shape of every asynchronous request of the SDK face: a request id
// of the process's, then the backend's admission, body and result, one
// request of a client at a time so its results queue in request order.
#pragma once

#include <cstdint>
#include <mutex>

#include "loopback_sdk/backend.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class FaceRequests {
 public:
  explicit FaceRequests(Backend& backend) : backend_(backend) {}
  FaceRequests(const FaceRequests&) = delete;
  FaceRequests& operator=(const FaceRequests&) = delete;

  // Fills requestId and returns the request's code (kOk for one answered
  // later); nothing thrown by the body or the backend leaves it.
  int run(uint64_t& requestId, Need need, const Backend::Body& body,
          const Backend::ResultEvent& result);
  Backend& backend() { return backend_; }

 private:
  Backend& backend_;
  std::mutex mutex_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
