#include "loopback_sdk/in_process/history_store.h"

#include <utility>

#include "loopback_sdk/sdk_constants.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

void HistoryStore::store(const ChannelKey& channel, MessageCopy message) {
  auto& messages = channels_[channel];
  messages.push_back(std::move(message));
  if (messages.size() > kHistoryPerChannel) messages.pop_front();
}

HistoryPage HistoryStore::page(const ChannelKey& channel, uint32_t count, uint64_t start,
                               uint64_t end) const {
  HistoryPage page;
  auto it = channels_.find(channel);
  if (it == channels_.end()) return page;
  for (auto message = it->second.rbegin(); message != it->second.rend(); ++message) {
    if (start != 0 && message->timestamp > start) continue;
    if (message->timestamp < end) break;
    if (page.messages.size() == count) {
      page.newStart = message->timestamp;
      break;
    }
    page.messages.push_back(*message);
  }
  return page;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
