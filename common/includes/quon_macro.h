// The shared event-sending routine: every event of the library leaves through
// sendEvent().
#pragma once

#include <string>

namespace velmo {
namespace quon {
namespace kiv {

class QuonEventHandlerManager;

// Logs "event {name}, data: {data}" at debug level, then calls OnEvent of
// every sink of manager, in registration order and under its lock, each with
// the same values. data must stay alive for the call; buffers and lengths are
// parallel arrays of count entries, or null with a count of 0. Never throws.
void sendEvent(QuonEventHandlerManager& manager, const char* eventName, const std::string& data,
               char* result, void** buffers, unsigned int* lengths, unsigned int count);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
