// The library's one implementation of the SDK's callback interface: every
// callback becomes a named JSON event for the registered host sinks. Adds the
// callbacks that carry arrays or message payloads to KivEventHandlerGen.
#pragma once

#include "src/kiv/src/event/KivEventHandlerGen.h"

namespace velmo {
namespace quon {
namespace kiv {

class KivEventHandler : public KivEventHandlerGen {
 public:
  KivEventHandler() = default;
  ~KivEventHandler() override;

  void onMessageEvent(const sdk::MessageEvent& event) override {
    emit(events::onMessageEvent, event);
  }
  void onGetLocksResult(uint64_t requestId, const char* channelName, int channelType,
                        const sdk::LockDetail* lockDetailList, size_t count,
                        int errorCode) override {
    emit(events::onGetLocksResult, requestId, channelName, channelType, lockDetailList, count,
         errorCode);
  }
  void onWhoNowResult(uint64_t requestId, const sdk::UserState* userStateList, size_t count,
                      const char* nextPage, int errorCode) override {
    emit(events::onWhoNowResult, requestId, userStateList, count, nextPage, errorCode);
  }
  void onGetOnlineUsersResult(uint64_t requestId, const sdk::UserState* userStateList, size_t count,
                              const char* nextPage, int errorCode) override {
    emit(events::onGetOnlineUsersResult, requestId, userStateList, count, nextPage, errorCode);
  }
  void onWhereNowResult(uint64_t requestId, const sdk::ChannelInfo* channels, size_t count,
                        int errorCode) override {
    emit(events::onWhereNowResult, requestId, channels, count, errorCode);
  }
  void onGetUserChannelsResult(uint64_t requestId, const sdk::ChannelInfo* channels, size_t count,
                               int errorCode) override {
    emit(events::onGetUserChannelsResult, requestId, channels, count, errorCode);
  }
  void onGetHistoryMessagesResult(uint64_t requestId, const sdk::HistoryMessage* messageList,
                                  size_t count, uint64_t newStart, int errorCode) override {
    emit(events::onGetHistoryMessagesResult, requestId, messageList, count, newStart, errorCode);
  }
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
