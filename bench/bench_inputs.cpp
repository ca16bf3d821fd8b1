#include "bench/bench_inputs.h"

#include <stdexcept>

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

const char* const kChannel = "bench-channel";

std::string numbered(const char* prefix, size_t i) { return prefix + std::to_string(i); }

std::string metadataParams() {
  std::string items;
  for (size_t i = 0; i < kMetadataItems; ++i) {
    if (i) items += ',';
    items += "{\"key\":\"" + numbered("key-", i) + "\",\"value\":\"" + numbered("value-", i) +
             "\",\"authorUserId\":\"" + numbered("user-", i) + "\",\"revision\":-1,\"updateTs\":0}";
  }
  return std::string("{\"channelName\":\"") + kChannel +
         "\",\"channelType\":1,\"data\":{\"majorRevision\":-1,\"items\":[" + items +
         "],\"itemCount\":" + std::to_string(kMetadataItems) +
         "},\"options\":{\"recordTs\":true,\"recordUserId\":true},\"lockName\":\"\"}";
}

std::string setStateParams() {
  std::string items;
  for (size_t i = 0; i < kStateItems; ++i) {
    if (i) items += ',';
    items += "{\"key\":\"" + numbered("state-key-", i) + "\",\"value\":\"" +
             numbered("state-value-", i) + "\"}";
  }
  return std::string("{\"channelName\":\"") + kChannel + "\",\"channelType\":1,\"items\":[" +
         items + "],\"count\":" + std::to_string(kStateItems) + "}";
}

}  // namespace

const std::vector<CallInput>& measuredCalls() {
  static const std::vector<CallInput> calls = {
      {"login", "KivClient_login_1fa04dd",
       "{\"token\":\"007eJxTYPj0ZmbM3Lu7TLZ7ZuZzNDA0sDQ3tLAwMTM2NTEwsjQzNjE0sjQ\"}", false},
      {"publish", "KivClient_publish_2d36e93",
       std::string("{\"channelName\":\"") + kChannel +
           "\",\"length\":" + std::to_string(kPayloadBytes) +
           ",\"option\":{\"channelType\":1,\"messageType\":0,\"customType\":\"text\","
           "\"storeInHistory\":false}}",
       true},
      {"setChannelMetadata", "KivStorage_setChannelMetadata_55e6d00", metadataParams(), false},
      {"setState", "KivPresence_setState_b73723a", setStateParams(), false},
  };
  return calls;
}

const CallInput& callInput(const std::string& label) {
  for (const CallInput& call : measuredCalls())
    if (label == call.label) return call;
  throw std::invalid_argument("no measured call " + label);
}

char* payload() {
  static char bytes[kPayloadBytes];
  static const bool filled = [] {
    for (size_t i = 0; i < kPayloadBytes; ++i) bytes[i] = static_cast<char>('a' + i % 26);
    return true;
  }();
  (void)filled;
  return bytes;
}

PresenceEventInput::PresenceEventInput(size_t users) {
  states_.resize(users);
  users_.resize(users);
  const auto keep = [this](std::string text) {
    return texts_.emplace_back(std::move(text)).c_str();
  };
  for (size_t i = 0; i < users; ++i) {
    states_[i][0] = {keep(numbered("mood-", i % 7)), keep(numbered("busy until ", 1000 + i))};
    states_[i][1] = {"device", i % 2 ? "desktop" : "phone"};
    users_[i].userId = keep(numbered("user-", 100000 + i));
    users_[i].states = states_[i].data();
    users_[i].statesCount = states_[i].size();
  }
  event_.type = 1;
  event_.channelType = 1;
  event_.channelName = kChannel;
  event_.publisher = "user-0";
  event_.snapshot.userStateList = users_.data();
  event_.snapshot.userCount = users_.size();
  event_.timestamp = 1700000000123;
}

HistoryInput::HistoryInput(size_t messages) : messages_(messages) {
  for (size_t i = 0; i < messages; ++i) {
    sdk::HistoryMessage& m = messages_[i];
    m.messageType = 0;
    m.publisher = i % 2 ? "user-1" : "user-2";
    m.message = payload();
    m.messageLength = kPayloadBytes;
    m.customType = "text";
    m.timestamp = 1700000000000 + i;
  }
}

const sdk::MessageEvent& messageEvent() {
  static const sdk::MessageEvent event = [] {
    sdk::MessageEvent e;
    e.channelType = 1;
    e.messageType = 0;
    e.channelName = kChannel;
    e.channelTopic = "";
    e.message = payload();
    e.messageLength = kPayloadBytes;
    e.publisher = "user-1";
    e.customType = "text";
    e.timestamp = 1700000000123;
    return e;
  }();
  return event;
}

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
