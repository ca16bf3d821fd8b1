#include "src/kiv/src/event/quon_event_handler_manager.h"

#include <algorithm>
#include <exception>

#include "common/includes/quon_log.h"

namespace velmo {
namespace quon {
namespace kiv {

QuonEventHandlerManager::~QuonEventHandlerManager() { clearEventHandlers(); }

bool QuonEventHandlerManager::isEmpty() {
  // The delivering thread holds the lock already and may read the list.
  if (deliveringOnThisThread()) return handlers_.empty();
  std::lock_guard<std::mutex> guard(mutex_);
  return handlers_.empty();
}

bool QuonEventHandlerManager::addEventHandler(QuonEventHandler* handler) {
  if (!handler || refusedInsideDelivery("addEventHandler")) return false;
  std::lock_guard<std::mutex> guard(mutex_);
  if (std::find(handlers_.begin(), handlers_.end(), handler) != handlers_.end()) return false;
  handlers_.push_back(handler);
  return true;
}

bool QuonEventHandlerManager::removeEventHandler(QuonEventHandler* handler) {
  if (refusedInsideDelivery("removeEventHandler")) return false;
  std::lock_guard<std::mutex> guard(mutex_);
  auto it = std::find(handlers_.begin(), handlers_.end(), handler);
  if (it == handlers_.end()) return false;
  handlers_.erase(it);
  return true;
}

void QuonEventHandlerManager::clearEventHandlers() {
  if (refusedInsideDelivery("clearEventHandlers")) return;
  std::lock_guard<std::mutex> guard(mutex_);
  handlers_.clear();
}

void QuonEventHandlerManager::deliver(const EventParam& event) {
  if (deliveringOnThisThread()) {
    deliverToEach(event);
    return;
  }
  std::lock_guard<std::mutex> guard(mutex_);
  deliveringThread_.store(std::this_thread::get_id());
  deliverToEach(event);
  deliveringThread_.store(std::thread::id());
}

void QuonEventHandlerManager::deliverToEach(const EventParam& event) {
  for (QuonEventHandler* handler : handlers_) {
    // A sink may write into its record; the next sink still gets the event as sent.
    EventParam copy = event;
    try {
      handler->OnEvent(&copy);
    } catch (const std::exception& e) {
      QUON_LOG_ERROR("event {} sink failed: {}", event.eventName, e.what());
    } catch (...) {
      QUON_LOG_ERROR("event {} sink failed", event.eventName);
    }
  }
}

bool QuonEventHandlerManager::deliveringOnThisThread() const {
  return deliveringThread_.load() == std::this_thread::get_id();
}

bool QuonEventHandlerManager::refusedInsideDelivery(const char* operation) const {
  if (!deliveringOnThisThread()) return false;
  QUON_LOG_ERROR("{} refused: called from an event sink during delivery", operation);
  return true;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
