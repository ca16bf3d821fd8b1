// Everything the in-process service knows, guarded as a whole by the
// service's lock (see loopback_service.h).
#pragma once

#include <cstdint>
#include <set>

#include "loopback_sdk/in_process/channel_members.h"
#include "loopback_sdk/in_process/client_registry.h"
#include "loopback_sdk/in_process/history_store.h"
#include "loopback_sdk/in_process/lock_table.h"
#include "loopback_sdk/in_process/metadata_store.h"
#include "loopback_sdk/in_process/topic_registry.h"
#include "loopback_sdk/sdk_constants.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

struct ServiceState {
  ServiceState() = default;
  ~ServiceState();
  ServiceState(const ServiceState&) = delete;
  ServiceState& operator=(const ServiceState&) = delete;

  // Milliseconds since the epoch, strictly increasing, so stored messages are
  // ordered and history pages never split two messages with one time stamp.
  uint64_t timestamp();

  ClientRegistry clients;
  ChannelMembers members;
  MetadataStore metadata;
  LockTable locks;
  HistoryStore history;
  TopicRegistry topics;
  uint32_t ttlUnitMs = kDefaultTtlUnitMs;
  uint64_t lastTimestamp = 0;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
