#include "common/utils/periodic_flusher.h"

#include <system_error>
#include <utility>

namespace velmo {
namespace quon {
namespace kiv {

PeriodicFlusher::~PeriodicFlusher() { stop(); }

bool PeriodicFlusher::start(std::chrono::milliseconds period, std::function<void()> task) {
  stop();
  auto state = std::make_shared<State>();
  try {
    thread_ = std::thread([state, period, task = std::move(task)] {
      // The task runs with the mutex held, so stop() waits for a task in
      // progress and the task never runs after stop() has returned.
      std::unique_lock<std::mutex> lock(state->mutex);
      while (!state->wake.wait_for(lock, period, [&] { return state->stopping; })) {
        try {
          task();
        } catch (...) {
          // A failed flush must not end the process; the next period retries.
        }
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  state_ = std::move(state);
  return true;
}

void PeriodicFlusher::stop() {
  if (!state_) return;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  if (thread_.joinable()) {
#if defined(_WIN32)
    // Under the loader lock the thread could not complete its exit, so joining
    // would never return. It only has to see the flag and return.
    thread_.detach();
#else
    thread_.join();
#endif
  }
  state_.reset();
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
