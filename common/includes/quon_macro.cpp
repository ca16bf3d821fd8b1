#include "common/includes/quon_macro.h"

#include <exception>

#include "common/includes/quon_log.h"
#include "src/kiv/src/event/quon_event_handler_manager.h"

namespace velmo {
namespace quon {
namespace kiv {

void sendEvent(QuonEventHandlerManager& manager, const char* eventName, const std::string& data,
               char* result, void** buffers, unsigned int* lengths, unsigned int count) {
  // Runs on SDK threads: nothing may escape into the SDK.
  try {
    QUON_LOG_DEBUG("event {}, data: {}", eventName, data);
    EventParam event;
    event.eventName = eventName;
    event.data = data.c_str();
    event.dataLength = static_cast<unsigned int>(data.size());
    event.resultBuffer = result;
    event.buffers = buffers;
    event.bufferLengths = lengths;
    event.bufferCount = count;
    manager.deliver(event);
  } catch (const std::exception& e) {
    QUON_LOG_ERROR("event {} not delivered: {}", eventName, e.what());
  } catch (...) {
    QUON_LOG_ERROR("event {} not delivered", eventName);
  }
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
