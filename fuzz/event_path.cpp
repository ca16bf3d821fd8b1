// Fuzz target: every callback of the event bridge with arbitrary SDK records.
//
// Each input fires one to eight callbacks at a fresh bridge with two sinks
// attached. Strings are arbitrary bytes (ill-formed UTF-8 included) or null;
// 64-bit values, enumerations and counts take any value; an array is either
// null with any count, or real records with a count no larger than the
// records there (the SDK's contract); a payload is null with any length, or
// real bytes with their length.
//
// Both sinks read every event in full: a NUL-terminated JSON text of the
// stated length, the same text for both, and buffers that can be read for
// their stated lengths.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "fuzz/fuzz_log.h"
#include "src/kiv/src/event/KivEventHandler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fuzz {
namespace {

namespace sdk = ::velmo::kiv;

constexpr int kLogLevel = spdlog::level::debug;  // events are logged at debug level
constexpr size_t kMaxElements = 4;

// Builds SDK arguments from the input; everything it hands out lives as long
// as the maker.
class RecordMaker {
 public:
  explicit RecordMaker(FuzzedDataProvider& in) : in_(in) {}

  template <class T>
  T make() {
    T value{};
    fill(value);
    return value;
  }

  // A list argument or field: null with any count, or real elements with a
  // count that does not exceed them.
  template <class P>
  void list(P*& items, size_t& count) {
    using T = std::remove_const_t<P>;
    switch (in_.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        items = nullptr;
        count = in_.ConsumeIntegral<size_t>();
        return;
      case 1:
        items = nullptr;
        count = 0;
        return;
      default: {
        const size_t n = in_.ConsumeIntegralInRange<size_t>(0, kMaxElements);
        auto block = std::make_shared<std::vector<T>>(n);
        for (T& element : *block) fill(element);
        keep_.push_back(block);
        items = block->data();
        count = in_.ConsumeBool() ? n : in_.ConsumeIntegralInRange<size_t>(0, n);
      }
    }
  }

  // A payload: null with any length, or real bytes with a length within them.
  void payload(const char*& data, size_t& length) {
    if (in_.ConsumeIntegralInRange<int>(0, 3) == 0) {
      data = nullptr;
      length = in_.ConsumeIntegral<size_t>();
      return;
    }
    texts_.push_back(in_.ConsumeRandomLengthString(256));
    data = texts_.back().data();
    length = in_.ConsumeIntegralInRange<size_t>(0, texts_.back().size());
  }

 private:
  void fill(uint64_t& v) { v = in_.ConsumeIntegral<uint64_t>(); }
  void fill(int64_t& v) { v = in_.ConsumeIntegral<int64_t>(); }
  void fill(uint32_t& v) { v = in_.ConsumeIntegral<uint32_t>(); }
  void fill(int& v) { v = in_.ConsumeIntegral<int>(); }
  void fill(bool& v) { v = in_.ConsumeBool(); }
  void fill(const char*& v) {
    if (in_.ConsumeIntegralInRange<int>(0, 4) == 0) {
      v = nullptr;
      return;
    }
    texts_.push_back(in_.ConsumeRandomLengthString(64));
    v = texts_.back().c_str();
  }

  void fill(sdk::StateItem& r) { fill(r.key), fill(r.value); }
  void fill(sdk::UserList& r) { list(r.users, r.userCount); }
  void fill(sdk::UserState& r) { fill(r.userId), list(r.states, r.statesCount); }
  void fill(sdk::IntervalInfo& r) {
    fill(r.joinUserList), fill(r.leaveUserList), fill(r.timeoutUserList);
    list(r.userStateList, r.userStateCount);
  }
  void fill(sdk::SnapshotInfo& r) { list(r.userStateList, r.userCount); }
  void fill(sdk::MetadataItem& r) {
    fill(r.key), fill(r.value), fill(r.authorUserId), fill(r.revision), fill(r.updateTs);
  }
  void fill(sdk::Metadata& r) { fill(r.majorRevision), list(r.items, r.itemCount); }
  void fill(sdk::PublisherInfo& r) { fill(r.publisherUserId), fill(r.publisherMeta); }
  void fill(sdk::TopicInfo& r) { fill(r.topic), list(r.publishers, r.publisherCount); }
  void fill(sdk::LockDetail& r) { fill(r.lockName), fill(r.owner), fill(r.ttl); }
  void fill(sdk::ChannelInfo& r) { fill(r.channelName), fill(r.channelType); }
  void fill(sdk::ChannelList& r) { list(r.channels, r.channelCount); }
  void fill(sdk::HistoryMessage& r) {
    fill(r.messageType), fill(r.publisher), payload(r.message, r.messageLength);
    fill(r.customType), fill(r.timestamp);
  }
  void fill(sdk::MessageEvent& r) {
    fill(r.channelType), fill(r.messageType), fill(r.channelName), fill(r.channelTopic);
    payload(r.message, r.messageLength);
    fill(r.publisher), fill(r.customType), fill(r.timestamp);
  }
  void fill(sdk::PresenceEvent& r) {
    fill(r.type), fill(r.channelType), fill(r.channelName), fill(r.publisher);
    list(r.stateItems, r.stateItemCount);
    fill(r.interval), fill(r.snapshot), fill(r.timestamp);
  }
  void fill(sdk::TopicEvent& r) {
    fill(r.type), fill(r.channelName), fill(r.publisher);
    list(r.topicInfos, r.topicInfoCount);
    fill(r.timestamp);
  }
  void fill(sdk::LockEvent& r) {
    fill(r.channelType), fill(r.eventType), fill(r.channelName);
    list(r.lockDetailList, r.count);
    fill(r.timestamp);
  }
  void fill(sdk::StorageEvent& r) {
    fill(r.channelType), fill(r.storageType), fill(r.eventType), fill(r.target);
    fill(r.data), fill(r.timestamp);
  }
  void fill(sdk::LinkStateEvent& r) {
    fill(r.currentState), fill(r.previousState), fill(r.serviceType), fill(r.operation);
    fill(r.reasonCode), fill(r.reason);
    list(r.affectedChannels, r.affectedChannelCount);
    list(r.unrestoredChannels, r.unrestoredChannelCount);
    fill(r.isResumed), fill(r.timestamp);
  }
  void fill(sdk::TokenEvent& r) {
    fill(r.eventType), fill(r.reason), fill(r.affectedResources.messageChannels);
    fill(r.timestamp);
  }

  FuzzedDataProvider& in_;
  std::deque<std::string> texts_;
  std::vector<std::shared_ptr<void>> keep_;
};

// Reads every event in full; the first sink keeps the text for the second.
class ReadingSink : public QuonEventHandler {
 public:
  explicit ReadingSink(ReadingSink* first = nullptr) : first_(first) {}

  void OnEvent(EventParam* event) override {
    if (!event || !event->eventName || !event->data || event->resultBuffer) __builtin_trap();
    if (std::strncmp(event->eventName, "KivEventHandler_", 16) != 0) __builtin_trap();
    if (std::strlen(event->data) != event->dataLength) __builtin_trap();
    if (!nlohmann::json::accept(event->data, event->data + event->dataLength)) __builtin_trap();
    if ((event->bufferCount == 0) != (event->buffers == nullptr)) __builtin_trap();
    if (event->bufferCount && !event->bufferLengths) __builtin_trap();
    for (unsigned int i = 0; i < event->bufferCount; ++i) {
      const auto* bytes = static_cast<const volatile unsigned char*>(event->buffers[i]);
      if (!bytes) continue;
      unsigned int sum = 0;
      for (unsigned int b = 0; b < event->bufferLengths[i]; ++b) sum += bytes[b];
      (void)sum;
    }
    if (first_) {
      if (first_->lastText_ != event->data) __builtin_trap();
    } else {
      lastText_.assign(event->data, event->dataLength);
    }
  }

 private:
  ReadingSink* first_;
  std::string lastText_;
};

using Handler = sdk::IKivEventHandler;

// A callback whose arguments hold no list: each argument made in order.
template <class... A>
void fire(Handler& handler, RecordMaker& maker, void (Handler::*callback)(A...)) {
  // A braced list evaluates its elements left to right.
  std::tuple<std::decay_t<A>...> args{maker.make<std::decay_t<A>>()...};
  std::apply([&](auto&... arg) { (handler.*callback)(arg...); }, args);
}

template <class T>
struct ListArg {
  const T* items = nullptr;
  size_t count = 0;
};

template <class T>
ListArg<T> makeList(RecordMaker& maker) {
  ListArg<T> list;
  maker.list(list.items, list.count);
  return list;
}

void fireOne(Handler& h, RecordMaker& m, int slot) {
  switch (slot) {
    case 1:
      return fire(h, m, &Handler::onLinkStateEvent);
    case 2:
      return fire(h, m, &Handler::onMessageEvent);
    case 3:
      return fire(h, m, &Handler::onPresenceEvent);
    case 4:
      return fire(h, m, &Handler::onTopicEvent);
    case 5:
      return fire(h, m, &Handler::onLockEvent);
    case 6:
      return fire(h, m, &Handler::onStorageEvent);
    case 7:
      return fire(h, m, &Handler::onTokenEvent);
    case 8:
      return fire(h, m, &Handler::onJoinResult);
    case 9:
      return fire(h, m, &Handler::onLeaveResult);
    case 10:
      return fire(h, m, &Handler::onPublishTopicMessageResult);
    case 11:
      return fire(h, m, &Handler::onJoinTopicResult);
    case 12:
      return fire(h, m, &Handler::onLeaveTopicResult);
    case 13:
      return fire(h, m, &Handler::onSubscribeTopicResult);
    case 14:
      return fire(h, m, &Handler::onUnsubscribeTopicResult);
    case 15:
      return fire(h, m, &Handler::onGetSubscribedUserListResult);
    case 16:
      return fire(h, m, &Handler::onConnectionStateChanged);
    case 17:
      return fire(h, m, &Handler::onTokenPrivilegeWillExpire);
    case 18:
      return fire(h, m, &Handler::onSubscribeResult);
    case 19:
      return fire(h, m, &Handler::onUnsubscribeResult);
    case 20:
      return fire(h, m, &Handler::onPublishResult);
    case 21:
      return fire(h, m, &Handler::onLoginResult);
    case 22:
      return fire(h, m, &Handler::onLogoutResult);
    case 23:
      return fire(h, m, &Handler::onRenewTokenResult);
    case 24:
      return fire(h, m, &Handler::onSetChannelMetadataResult);
    case 25:
      return fire(h, m, &Handler::onUpdateChannelMetadataResult);
    case 26:
      return fire(h, m, &Handler::onRemoveChannelMetadataResult);
    case 27:
      return fire(h, m, &Handler::onGetChannelMetadataResult);
    case 28:
      return fire(h, m, &Handler::onSetUserMetadataResult);
    case 29:
      return fire(h, m, &Handler::onUpdateUserMetadataResult);
    case 30:
      return fire(h, m, &Handler::onRemoveUserMetadataResult);
    case 31:
      return fire(h, m, &Handler::onGetUserMetadataResult);
    case 32:
      return fire(h, m, &Handler::onSubscribeUserMetadataResult);
    case 33:
      return fire(h, m, &Handler::onUnsubscribeUserMetadataResult);
    case 34:
      return fire(h, m, &Handler::onSetLockResult);
    case 35:
      return fire(h, m, &Handler::onRemoveLockResult);
    case 36:
      return fire(h, m, &Handler::onReleaseLockResult);
    case 37:
      return fire(h, m, &Handler::onAcquireLockResult);
    case 38:
      return fire(h, m, &Handler::onRevokeLockResult);
    case 39: {
      const auto requestId = m.make<uint64_t>();
      const auto channelName = m.make<const char*>();
      const auto channelType = m.make<int>();
      const auto locks = makeList<sdk::LockDetail>(m);
      return h.onGetLocksResult(requestId, channelName, channelType, locks.items, locks.count,
                                m.make<int>());
    }
    case 40:
    case 41: {
      const auto requestId = m.make<uint64_t>();
      const auto users = makeList<sdk::UserState>(m);
      const auto nextPage = m.make<const char*>();
      const auto errorCode = m.make<int>();
      if (slot == 40)
        return h.onWhoNowResult(requestId, users.items, users.count, nextPage, errorCode);
      return h.onGetOnlineUsersResult(requestId, users.items, users.count, nextPage, errorCode);
    }
    case 42:
    case 43: {
      const auto requestId = m.make<uint64_t>();
      const auto channels = makeList<sdk::ChannelInfo>(m);
      const auto errorCode = m.make<int>();
      if (slot == 42)
        return h.onWhereNowResult(requestId, channels.items, channels.count, errorCode);
      return h.onGetUserChannelsResult(requestId, channels.items, channels.count, errorCode);
    }
    case 44:
      return fire(h, m, &Handler::onPresenceSetStateResult);
    case 45:
      return fire(h, m, &Handler::onPresenceRemoveStateResult);
    case 46:
      return fire(h, m, &Handler::onPresenceGetStateResult);
    default: {
      const auto requestId = m.make<uint64_t>();
      const auto messages = makeList<sdk::HistoryMessage>(m);
      const auto newStart = m.make<uint64_t>();
      return h.onGetHistoryMessagesResult(requestId, messages.items, messages.count, newStart,
                                          m.make<int>());
    }
  }
}

}  // namespace
}  // namespace fuzz
}  // namespace kiv
}  // namespace quon
}  // namespace velmo

using namespace velmo::quon::kiv;
using namespace velmo::quon::kiv::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  startScratchLog(kLogLevel);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  RecordMaker maker(in);
  ReadingSink first;
  ReadingSink second(&first);
  KivEventHandler bridge;
  bridge.addEventHandler(&first);
  bridge.addEventHandler(&second);
  const int callbacks = in.ConsumeIntegralInRange<int>(1, 8);
  for (int i = 0; i < callbacks && in.remaining_bytes() > 0; ++i)
    fireOne(bridge, maker, in.ConsumeIntegralInRange<int>(1, 47));
  return 0;
}
