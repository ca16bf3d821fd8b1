// Runs a task at a fixed period, for the log's periodic flush. Stopping is safe
// at library unload. On Linux the task runs on a thread of its own, which stop
// joins. On Windows, unload runs under the loader lock, where a thread can
// neither finish exiting (so it cannot be joined) nor be let go (it could run
// after the DLL is unmapped); there the task runs from a thread-pool timer,
// whose callbacks stop cancels and waits for without any thread exiting.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#if !defined(_WIN32)
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace velmo {
namespace quon {
namespace kiv {

class PeriodicFlusher {
 public:
  PeriodicFlusher();
  ~PeriodicFlusher();
  PeriodicFlusher(const PeriodicFlusher&) = delete;
  PeriodicFlusher& operator=(const PeriodicFlusher&) = delete;

  // Starts calling task every period (stopping a previous run first). Returns
  // false when the timer or thread could not be started.
  bool start(std::chrono::milliseconds period, std::function<void()> task);

  // After stop returns the task is not running and never runs again. Never
  // throws.
  void stop() noexcept;

 private:
#if defined(_WIN32)
  // The thread-pool timer and the task its callback runs (periodic_flusher.cpp).
  struct Timer;
  std::unique_ptr<Timer> timer_;
#else
  // Shared with the thread, so the thread never touches a destroyed flusher.
  struct State {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
  };

  std::shared_ptr<State> state_;
  std::thread thread_;
#endif
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
