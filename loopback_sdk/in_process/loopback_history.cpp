#include "loopback_sdk/in_process/loopback_history.h"

#include "loopback_sdk/in_process/request.h"
#include "loopback_sdk/sdk_results.h"

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
        if (const int code = checkHistoryChannel(channel)) return code;
        page = r.state.history.page(channel, options.messageCount, options.start, options.end);
        return kOk;
      },
      historyResult(page));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
