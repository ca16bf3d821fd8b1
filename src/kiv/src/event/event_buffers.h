// The payload buffers of one event: pointers straight at the SDK's payload
// memory, never copies. Lives on the callback's stack for one delivery.
#pragma once

#include <cstddef>
#include <memory>

#include "velmo_kiv_sdk/kiv_records.h"

namespace velmo {
namespace quon {
namespace kiv {

class EventBuffers {
 public:
  EventBuffers() = default;
  EventBuffers(const EventBuffers&) = delete;
  EventBuffers& operator=(const EventBuffers&) = delete;

  // One buffer, also for a null payload or a length of 0.
  void setSingle(const void* data, size_t length);
  // One buffer per message; none for a null or empty list, or when the two
  // arrays cannot be allocated.
  void setPerMessage(const ::velmo::kiv::HistoryMessage* messages, size_t count);

  void** buffers() const { return buffers_; }
  unsigned int* lengths() const { return lengths_; }
  unsigned int count() const { return count_; }

 private:
  void* single_[1] = {};
  unsigned int singleLength_[1] = {};
  std::unique_ptr<void*[]> perMessage_;
  std::unique_ptr<unsigned int[]> perMessageLengths_;
  void** buffers_ = nullptr;
  unsigned int* lengths_ = nullptr;
  unsigned int count_ = 0;
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
