// One client's SDK thread: queued events are delivered to the client's
// IKivEventHandler one at a time, in the order they were posted, and never on
// the thread that posted them.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "velmo_kiv_sdk/kiv_event_handler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// A queued callback. It owns copies of everything it hands to the handler, so
// the memory stays valid until the callback returns.
using Event = std::function<void(::velmo::kiv::IKivEventHandler&)>;

class EventDispatcher {
 public:
  explicit EventDispatcher(::velmo::kiv::IKivEventHandler* handler);
  // The dispatcher must have been stopped (stop or stopFromOwnThread).
  ~EventDispatcher();
  EventDispatcher(const EventDispatcher&) = delete;
  EventDispatcher& operator=(const EventDispatcher&) = delete;

  void post(Event event);
  bool onOwnThread() const;
  ::velmo::kiv::IKivEventHandler* handler() const { return handler_; }

  // From any other thread: drops what is queued, waits for a callback in
  // progress to return and joins the thread.
  void stop();
  // From inside a callback: drops what is queued; once the current callback
  // returns the thread detaches itself and runs afterExit (which may destroy
  // this dispatcher) as its very last action.
  void stopFromOwnThread(std::function<void()> afterExit);

 private:
  void run();

  ::velmo::kiv::IKivEventHandler* handler_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Event> queue_;
  bool stopping_ = false;
  bool idle_ = false;  // the thread waits for an event: a post must wake it
  std::function<void()> afterExit_;
  std::thread thread_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
