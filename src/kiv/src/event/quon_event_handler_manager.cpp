#include "src/kiv/src/event/quon_event_handler_manager.h"

#include <algorithm>

namespace velmo {
namespace quon {
namespace kiv {

QuonEventHandlerManager::~QuonEventHandlerManager() { clearEventHandlers(); }

bool QuonEventHandlerManager::isEmpty() {
  std::lock_guard<std::mutex> guard(mutex_);
  return handlers_.empty();
}

bool QuonEventHandlerManager::addEventHandler(QuonEventHandler* handler) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (std::find(handlers_.begin(), handlers_.end(), handler) != handlers_.end()) return false;
  handlers_.push_back(handler);
  return true;
}

bool QuonEventHandlerManager::removeEventHandler(QuonEventHandler* handler) {
  std::lock_guard<std::mutex> guard(mutex_);
  auto it = std::find(handlers_.begin(), handlers_.end(), handler);
  if (it == handlers_.end()) return false;
  handlers_.erase(it);
  return true;
}

void QuonEventHandlerManager::clearEventHandlers() {
  std::lock_guard<std::mutex> guard(mutex_);
  handlers_.clear();
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
