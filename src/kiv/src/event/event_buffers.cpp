#include "src/kiv/src/event/event_buffers.h"

#include <limits>
#include <new>

#include "common/includes/quon_log.h"

namespace velmo {
namespace quon {
namespace kiv {

namespace {

// The host's records carry buffer addresses as plain void*.
void* payloadAddress(const void* data) { return const_cast<void*>(data); }

}  // namespace

void EventBuffers::setSingle(const void* data, size_t length) {
  single_[0] = payloadAddress(data);
  singleLength_[0] = static_cast<unsigned int>(length);
  buffers_ = single_;
  lengths_ = singleLength_;
  count_ = 1;
}

void EventBuffers::setPerMessage(const ::velmo::kiv::HistoryMessage* messages, size_t count) {
  if (!messages || count == 0) return;
  if (count <= std::numeric_limits<unsigned int>::max()) {
    perMessage_.reset(new (std::nothrow) void*[count]);
    perMessageLengths_.reset(new (std::nothrow) unsigned int[count]);
  }
  if (!perMessage_ || !perMessageLengths_) {
    perMessage_.reset();
    perMessageLengths_.reset();
    QUON_LOG_ERROR("history event of {} messages sent without payload buffers: out of memory",
                   count);
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    perMessage_[i] = payloadAddress(messages[i].message);
    perMessageLengths_[i] = static_cast<unsigned int>(messages[i].messageLength);
  }
  buffers_ = perMessage_.get();
  lengths_ = perMessageLengths_.get();
  count_ = static_cast<unsigned int>(count);
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
