#include "loopback_sdk/sdk_history.h"

#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

int SdkHistory::getMessages(const char* channelName, int channelType,
                            const sdk::GetHistoryMessagesOptions& options, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  HistoryPage page;
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkHistoryChannel(channel)) return code;
        const int code = requests_.backend().historyPage(channel, options.messageCount,
                                                         options.start, options.end, page);
        if (code != kOk) page = HistoryPage();
        return code;
      },
      historyResult(page));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
