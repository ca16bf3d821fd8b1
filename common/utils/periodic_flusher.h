// Runs a task at a fixed period on a thread of its own, for the log's
// periodic flush. Stopping is safe at library unload: on Windows that runs
// under the loader lock, where a thread cannot finish exiting, so the thread is
// signalled and let go instead of joined.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace velmo {
namespace quon {
namespace kiv {

class PeriodicFlusher {
 public:
  PeriodicFlusher() = default;
  ~PeriodicFlusher();
  PeriodicFlusher(const PeriodicFlusher&) = delete;
  PeriodicFlusher& operator=(const PeriodicFlusher&) = delete;

  // Starts calling task every period (stopping a previous run first). Returns
  // false when no thread could be started.
  bool start(std::chrono::milliseconds period, std::function<void()> task);

  // After stop returns the task is not running and never runs again.
  void stop();

 private:
  // Shared with the thread, so a thread that was let go never touches a
  // destroyed flusher.
  struct State {
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
  };

  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
