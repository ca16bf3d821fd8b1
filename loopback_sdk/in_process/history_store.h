// Messages stored for history, per channel, oldest first; the newest
// kHistoryPerChannel messages of a channel are kept.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <vector>

#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class HistoryStore {
 public:
  void store(const ChannelKey& channel, MessageCopy message);
  // Messages with end <= timestamp <= start, newest first (start 0: no upper
  // bound, end 0: no lower bound), at most count of them. newStart is the
  // timestamp of the next older message in the range, to pass as the next start.
  HistoryPage page(const ChannelKey& channel, uint32_t count, uint64_t start, uint64_t end) const;

 private:
  std::map<ChannelKey, std::deque<MessageCopy>> channels_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
