// The host sinks that events are delivered to, in registration order, and
// the one lock that serialises deliveries and list changes.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "quon_event_handler.h"

namespace velmo {
namespace quon {
namespace kiv {

class QuonEventHandlerManager {
 public:
  QuonEventHandlerManager() = default;
  QuonEventHandlerManager(const QuonEventHandlerManager&) = delete;
  QuonEventHandlerManager& operator=(const QuonEventHandlerManager&) = delete;
  virtual ~QuonEventHandlerManager();

  // Reads under the lock; the delivering thread, which holds it, reads directly.
  bool isEmpty();
  // False when the sink is null or already registered.
  bool addEventHandler(QuonEventHandler* handler);
  // False when the sink is not registered.
  bool removeEventHandler(QuonEventHandler* handler);
  void clearEventHandlers();

  // The three list changes above are refused (with an error line) when called
  // from a sink's OnEvent on the delivering thread: that thread already holds
  // the lock, and the list is being walked.

  // True on the thread that is calling this bridge's sinks right now.
  bool deliveringOnThisThread() const;

 private:
  // The one way into deliver(); declared in common/includes/quon_macro.h.
  friend void sendEvent(QuonEventHandlerManager& manager, const char* eventName,
                        const std::string& data, char* result, void** buffers,
                        unsigned int* lengths, unsigned int count);

  // Calls every sink's OnEvent in list order, each with its own copy of event,
  // while holding the lock. An event raised by a sink's own call on the
  // delivering thread is delivered at once instead of waiting for itself.
  void deliver(const EventParam& event);
  void deliverToEach(const EventParam& event);
  bool refusedInsideDelivery(const char* operation) const;

  std::mutex mutex_;
  // The thread running deliverToEach() under mutex_, or no thread.
  std::atomic<std::thread::id> deliveringThread_{};
  std::vector<QuonEventHandler*> handlers_;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
