// The one in-process messaging service shared by every client of the process.
// Every operation runs under its single lock; events are only queued to the
// clients' dispatchers there, never delivered, so no callback runs while the
// lock is held.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "loopback_sdk/in_process/service_state.h"
#include "loopback_sdk/scheduler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class Service {
 public:
  static Service& instance();
  // At unload: frees the service when no client is left.
  static void shutdownIfIdle();

  template <class Fn>
  auto locked(Fn&& fn) -> decltype(fn(std::declval<ServiceState&>())) {
    std::lock_guard<std::mutex> lock(mutex_);
    return fn(state_);
  }

  // Runs task under the service lock once the delay has passed. May be called
  // with the lock held.
  void after(std::chrono::milliseconds delay, std::function<void(ServiceState&)> task);

  // The timer thread runs while at least one client exists.
  void clientCreated();
  void clientReleased();

 private:
  Service() = default;
  ~Service();

  std::mutex mutex_;
  ServiceState state_;
  Scheduler scheduler_;
  std::mutex lifecycleMutex_;
  size_t liveClients_ = 0;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
