// The host sinks that events are delivered to, in registration order.
#pragma once

#include <mutex>
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

  bool isEmpty();
  // False when the sink is already registered.
  bool addEventHandler(QuonEventHandler* handler);
  // False when the sink is not registered.
  bool removeEventHandler(QuonEventHandler* handler);
  void clearEventHandlers();

 protected:
  friend void sendEvent(QuonEventHandlerManager& manager, const char* eventName,
                        const std::string& data, char* result, void** buffers,
                        unsigned int* lengths, unsigned int count);
  std::mutex mutex_;
  std::vector<QuonEventHandler*> handlers_;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
