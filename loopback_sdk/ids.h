// Ids that belong to the SDK face, whichever backend serves a client: request
// ids unique and increasing in the process across all clients, and client ids.
#pragma once

#include <atomic>
#include <cstdint>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

inline uint64_t nextRequestId() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

inline uint64_t nextClientId() {
  static std::atomic<uint64_t> last{0};
  return ++last;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
