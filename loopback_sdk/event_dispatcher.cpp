#include "loopback_sdk/event_dispatcher.h"

#include <utility>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

EventDispatcher::EventDispatcher(::velmo::kiv::IKivEventHandler* handler)
    : handler_(handler), thread_([this] { run(); }) {}

EventDispatcher::~EventDispatcher() {
  if (thread_.joinable()) stop();
}

void EventDispatcher::post(Event event) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    queue_.push_back(std::move(event));
    wake = idle_;
  }
  // A busy thread takes the event when its callback returns: no wake-up needed.
  if (wake) wake_.notify_one();
}

bool EventDispatcher::onOwnThread() const { return std::this_thread::get_id() == thread_.get_id(); }

void EventDispatcher::stop() {
  std::deque<Event> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    dropped.swap(queue_);
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void EventDispatcher::stopFromOwnThread(std::function<void()> afterExit) {
  std::deque<Event> dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = true;
  afterExit_ = std::move(afterExit);
  dropped.swap(queue_);
}

void EventDispatcher::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    while (!stopping_ && queue_.empty()) {
      idle_ = true;
      wake_.wait(lock);
      idle_ = false;
    }
    if (stopping_) break;
    Event event = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    if (handler_) {
      try {
        event(*handler_);
      } catch (...) {
        // A throwing host handler must not end the client's thread.
      }
    }
    event = nullptr;  // free the payload copies outside the lock
    lock.lock();
  }
  std::function<void()> afterExit = std::move(afterExit_);
  lock.unlock();
  if (afterExit) {
    thread_.detach();
    afterExit();  // may delete this object: nothing touches it afterwards
  }
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
