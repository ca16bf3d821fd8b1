// Delayed work of the service (lock expiry, reconnection after a dropped
// connection), run on one timer thread. Tasks run without the scheduler's lock
// held; the thread runs only while it is started.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class Scheduler {
 public:
  using Clock = std::chrono::steady_clock;
  using Task = std::function<void()>;

  Scheduler() = default;
  ~Scheduler();
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  // Runs task once the delay has passed and the thread is running. Tasks
  // due at the same time run in the order they were added.
  void after(std::chrono::milliseconds delay, Task task);

  void start();
  // Joins the thread; tasks not yet due stay queued for the next start.
  void stop();

 private:
  void run(uint64_t generation);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::multimap<Clock::time_point, Task> tasks_;
  bool running_ = false;
  uint64_t generation_ = 0;  // a thread runs only while its generation is current
  std::thread thread_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
