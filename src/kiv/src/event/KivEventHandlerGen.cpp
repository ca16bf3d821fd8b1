#include "src/kiv/src/event/KivEventHandlerGen.h"

#include <exception>
#include <string>

#include "common/includes/quon_log.h"
#include "common/includes/quon_macro.h"
#include "src/kiv/src/json/json_text.h"

namespace velmo {
namespace quon {
namespace kiv {

KivEventHandlerGen::~KivEventHandlerGen() = default;

void KivEventHandlerGen::beforeSendEvent(json&) {}

void KivEventHandlerGen::send(const char* eventName, json& body, const EventBuffers& buffers) {
  beforeSendEvent(body);
  const std::string text = dumpCompact(body);
  sendEvent(*this, eventName, text, nullptr, buffers.buffers(), buffers.lengths(), buffers.count());
}

void KivEventHandlerGen::reportFailure(const char* eventName) noexcept {
  try {
    throw;
  } catch (const std::exception& e) {
    QUON_LOG_ERROR("event {} dropped: {}", eventName, e.what());
  } catch (...) {
    QUON_LOG_ERROR("event {} dropped", eventName);
  }
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
