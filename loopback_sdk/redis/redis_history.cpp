#include "loopback_sdk/redis/redis_history.h"

#include <string>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/redis/redis_client.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using nlohmann::json;
using sdk::IKivEventHandler;

namespace {

// {newStart, {{ts, type, publisher, custom type, payload}...}}; false when
// the answer has another shape.
bool readPage(const json& data, HistoryPage& page) {
  if (!data.is_array() || data.size() != 2 || !data[0].is_number_unsigned() || !data[1].is_array())
    return false;
  page.newStart = data[0].get<uint64_t>();
  for (const json& entry : data[1]) {
    if (!entry.is_array() || entry.size() != 5 || !entry[0].is_number_unsigned() ||
        !entry[1].is_number_integer() || !entry[2].is_string() || !entry[3].is_string() ||
        !entry[4].is_string())
      return false;
    MessageCopy message;
    message.timestamp = entry[0].get<uint64_t>();
    message.messageType = entry[1].get<int>();
    message.publisher = entry[2].get<std::string>();
    message.customType = entry[3].get<std::string>();
    message.payload = entry[4].get<std::string>();
    page.messages.push_back(std::move(message));
  }
  return true;
}

}  // namespace

int RedisHistory::getMessages(const char* channelName, int channelType,
                              const sdk::GetHistoryMessagesOptions& options, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  HistoryPage page;
  return client_.request(
      requestId, RedisClient::Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkHistoryChannel(channel)) return code;
        json data;
        const int code = client_.callService(
            "historyPage",
            {std::to_string(channelType), channel.name, std::to_string(options.messageCount),
             std::to_string(options.start), std::to_string(options.end)},
            nullptr, &data);
        if (code != kOk) return code;
        if (readPage(data, page)) return kOk;
        page = HistoryPage();
        return kFailure;
      },
      historyResult(page));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
