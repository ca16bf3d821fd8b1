#include "loopback_sdk/in_process/loopback_history.h"

#include "loopback_sdk/in_process/request.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

int LoopbackHistory::getMessages(const char* channelName, int channelType,
                                 const sdk::GetHistoryMessagesOptions& options,
                                 uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  HistoryPage page;
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (channel.name.empty()) return kInvalidChannelName;
        if (!isChannelType(channel.type, {kChannelMessage, kChannelUser}))
          return kInvalidChannelType;
        page = r.state.history.page(channel, options.messageCount, options.start, options.end);
        return kOk;
      },
      [&page](uint64_t id, int code) -> Event {
        return [id, found = std::move(page), code](IKivEventHandler& h) {
          HistoryView view(found.messages);
          h.onGetHistoryMessagesResult(id, view.data(), view.size(), found.newStart, code);
        };
      });
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
