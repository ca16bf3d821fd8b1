#include "loopback_sdk/scheduler.h"

#include <utility>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

Scheduler::~Scheduler() { stop(); }

void Scheduler::after(std::chrono::milliseconds delay, Task task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.emplace(Clock::now() + delay, std::move(task));
  }
  wake_.notify_one();
}

void Scheduler::start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_) return;
  running_ = true;
  const uint64_t generation = ++generation_;
  thread_ = std::thread([this, generation] { run(generation); });
}

void Scheduler::stop() {
  std::thread finished;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    ++generation_;
    finished.swap(thread_);
  }
  wake_.notify_one();
  if (finished.joinable()) finished.join();
}

void Scheduler::run(uint64_t generation) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (running_ && generation_ == generation) {
    if (tasks_.empty()) {
      wake_.wait(lock);
      continue;
    }
    const auto due = tasks_.begin()->first;
    if (Clock::now() < due) {
      wake_.wait_until(lock, due);
      continue;
    }
    Task task = std::move(tasks_.begin()->second);
    tasks_.erase(tasks_.begin());
    lock.unlock();
    try {
      task();
    } catch (...) {
      // A failed task must not end the timer thread.
    }
    task = nullptr;
    lock.lock();
  }
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
