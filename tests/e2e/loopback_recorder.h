// An IKivEventHandler that records every callback of the stand-in SDK, with
// the thread it came on, and lets tests wait for one with a time-out.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "velmo_kiv_sdk/velmo_kiv_sdk.h"

namespace loopback_test {

// One callback, flattened: each callback fills the fields that apply to it.
struct Call {
  std::string name;  // the callback's name, e.g. "onLoginResult"
  uint64_t requestId = 0;
  int errorCode = 0;
  int type = 0;  // event or storage/lock event type
  int channelType = 0;
  int state = 0;  // link or connection state
  std::string channel;
  std::string user;  // userId, publisher or target
  std::string topic;
  std::string lockName;
  std::string details;             // errorDetails, meta, nextPage, reason
  std::string payload;             // message bytes
  std::vector<std::string> list;   // users, user ids, channel names, lock "name=owner", payloads
  std::vector<std::string> list2;  // failed users, leave list
  std::map<std::string, std::string> items;  // metadata key -> value, or state key -> value
  int64_t majorRevision = 0;
  uint64_t newStart = 0;
  bool resumed = false;
  std::thread::id thread;
};

class Recorder : public velmo::kiv::IKivEventHandler {
 public:
  using Match = std::function<bool(const Call&)>;

  // The first recorded call (from `from` on) that matches, waiting up to the time-out.
  std::optional<Call> waitFor(const Match& match, size_t from = 0,
                              std::chrono::seconds timeout = std::chrono::seconds(10));
  std::optional<Call> waitResult(const std::string& name, uint64_t requestId);
  std::vector<Call> calls();
  size_t size();
  // Calls whose name matches, in arrival order.
  std::vector<Call> named(const std::string& name);
  // Called inside every callback, after recording; may be set before callbacks start.
  std::function<void(const Call&)> onCall;

  void onLinkStateEvent(const velmo::kiv::LinkStateEvent& event) override;
  void onMessageEvent(const velmo::kiv::MessageEvent& event) override;
  void onPresenceEvent(const velmo::kiv::PresenceEvent& event) override;
  void onTopicEvent(const velmo::kiv::TopicEvent& event) override;
  void onLockEvent(const velmo::kiv::LockEvent& event) override;
  void onStorageEvent(const velmo::kiv::StorageEvent& event) override;
  void onTokenEvent(const velmo::kiv::TokenEvent& event) override;
  void onJoinResult(uint64_t id, const char* channel, const char* user, int code) override;
  void onLeaveResult(uint64_t id, const char* channel, const char* user, int code) override;
  void onPublishTopicMessageResult(uint64_t id, const char* channel, const char* topic,
                                   int code) override;
  void onJoinTopicResult(uint64_t id, const char* channel, const char* user, const char* topic,
                         const char* meta, int code) override;
  void onLeaveTopicResult(uint64_t id, const char* channel, const char* user, const char* topic,
                          const char* meta, int code) override;
  void onSubscribeTopicResult(uint64_t id, const char* channel, const char* user, const char* topic,
                              velmo::kiv::UserList succeeded, velmo::kiv::UserList failed,
                              int code) override;
  void onUnsubscribeTopicResult(uint64_t id, const char* channel, const char* topic,
                                int code) override;
  void onGetSubscribedUserListResult(uint64_t id, const char* channel, const char* topic,
                                     velmo::kiv::UserList users, int code) override;
  void onConnectionStateChanged(const char* channel, int state, int reason) override;
  void onTokenPrivilegeWillExpire(const char* channel) override;
  void onSubscribeResult(uint64_t id, const char* channel, int code) override;
  void onUnsubscribeResult(uint64_t id, const char* channel, int code) override;
  void onPublishResult(uint64_t id, int code) override;
  void onLoginResult(uint64_t id, int code) override;
  void onLogoutResult(uint64_t id, int code) override;
  void onRenewTokenResult(uint64_t id, int serverType, const char* channel, int code) override;
  void onSetChannelMetadataResult(uint64_t id, const char* channel, int type, int code) override;
  void onUpdateChannelMetadataResult(uint64_t id, const char* channel, int type, int code) override;
  void onRemoveChannelMetadataResult(uint64_t id, const char* channel, int type, int code) override;
  void onGetChannelMetadataResult(uint64_t id, const char* channel, int type,
                                  const velmo::kiv::Metadata& data, int code) override;
  void onSetUserMetadataResult(uint64_t id, const char* user, int code) override;
  void onGetUserMetadataResult(uint64_t id, const char* user, const velmo::kiv::Metadata& data,
                               int code) override;
  void onSubscribeUserMetadataResult(uint64_t id, const char* user, int code) override;
  void onSetLockResult(uint64_t id, const char* channel, int type, const char* lock,
                       int code) override;
  void onRemoveLockResult(uint64_t id, const char* channel, int type, const char* lock,
                          int code) override;
  void onReleaseLockResult(uint64_t id, const char* channel, int type, const char* lock,
                           int code) override;
  void onAcquireLockResult(uint64_t id, const char* channel, int type, const char* lock, int code,
                           const char* details) override;
  void onRevokeLockResult(uint64_t id, const char* channel, int type, const char* lock,
                          int code) override;
  void onGetLocksResult(uint64_t id, const char* channel, int type,
                        const velmo::kiv::LockDetail* locks, size_t count, int code) override;
  void onWhoNowResult(uint64_t id, const velmo::kiv::UserState* users, size_t count,
                      const char* nextPage, int code) override;
  void onWhereNowResult(uint64_t id, const velmo::kiv::ChannelInfo* channels, size_t count,
                        int code) override;
  void onPresenceSetStateResult(uint64_t id, int code) override;
  void onPresenceGetStateResult(uint64_t id, const velmo::kiv::UserState& state, int code) override;
  void onGetHistoryMessagesResult(uint64_t id, const velmo::kiv::HistoryMessage* messages,
                                  size_t count, uint64_t newStart, int code) override;

 private:
  void record(Call call);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Call> calls_;
};

}  // namespace loopback_test
