// The in-process backend of one client: its requests run under the service's
// lock against the state every client of the process shares.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/in_process/request.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class InProcessBackend final : public Backend {
 public:
  // Registers the client with the process's service.
  explicit InProcessBackend(const BackendClient& client);
  ~InProcessBackend() override;

  LOOPBACK_BACKEND_OPERATIONS(override)

 private:
  // The running request's state; set only while its body runs, under the service lock.
  Request& current() { return *current_; }
  // An operation on one existing lock: found, then work(lock) gives the answer.
  template <typename Work>
  int onExistingLock(const ChannelKey& channel, const std::string& name, Work work);

  // Queues a change of the client's link to it, with the channels it is in.
  void postLinkChange(ServiceState& state, int previous, int current, int operation,
                      const char* reason, bool resumed = false);
  // The requester must have joined the stream channel.
  int checkJoined(const std::string& channel);

  const uint64_t clientId_;
  const std::string userId_;
  Request* current_ = nullptr;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
