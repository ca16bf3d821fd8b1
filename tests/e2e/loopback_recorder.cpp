#include "loopback_recorder.h"

#include <utility>

namespace loopback_test {

using namespace velmo::kiv;

namespace {

std::string str(const char* value) { return value ? value : ""; }

std::vector<std::string> users(const UserList& list) {
  std::vector<std::string> out;
  for (size_t i = 0; list.users && i < list.userCount; ++i) out.push_back(str(list.users[i]));
  return out;
}

std::map<std::string, std::string> items(const Metadata& data) {
  std::map<std::string, std::string> out;
  for (size_t i = 0; data.items && i < data.itemCount; ++i)
    out[str(data.items[i].key)] = str(data.items[i].value);
  return out;
}

std::map<std::string, std::string> states(const StateItem* list, size_t count) {
  std::map<std::string, std::string> out;
  for (size_t i = 0; list && i < count; ++i) out[str(list[i].key)] = str(list[i].value);
  return out;
}

Call result(const char* name, uint64_t id, int code) {
  Call call;
  call.name = name;
  call.requestId = id;
  call.errorCode = code;
  return call;
}

}  // namespace

void Recorder::record(Call call) {
  call.thread = std::this_thread::get_id();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
  }
  changed_.notify_all();
  if (onCall) onCall(call);
}

std::optional<Call> Recorder::waitFor(const Match& match, size_t from,
                                      std::chrono::seconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  std::optional<Call> found;
  changed_.wait_for(lock, timeout, [&] {
    for (size_t i = from; i < calls_.size(); ++i) {
      if (match(calls_[i])) {
        found = calls_[i];
        return true;
      }
    }
    return false;
  });
  return found;
}

std::optional<Call> Recorder::waitResult(const std::string& name, uint64_t requestId) {
  return waitFor([&](const Call& c) { return c.name == name && c.requestId == requestId; });
}

std::vector<Call> Recorder::calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

size_t Recorder::size() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_.size();
}

std::vector<Call> Recorder::named(const std::string& name) {
  std::vector<Call> out;
  for (const Call& call : calls())
    if (call.name == name) out.push_back(call);
  return out;
}

void Recorder::onLinkStateEvent(const LinkStateEvent& event) {
  Call call;
  call.name = "onLinkStateEvent";
  call.state = event.currentState;
  call.type = event.operation;
  call.details = str(event.reason);
  call.resumed = event.isResumed;
  for (size_t i = 0; event.affectedChannels && i < event.affectedChannelCount; ++i)
    call.list.push_back(str(event.affectedChannels[i]));
  record(call);
}

void Recorder::onMessageEvent(const MessageEvent& event) {
  Call call;
  call.name = "onMessageEvent";
  call.channelType = event.channelType;
  call.type = event.messageType;
  call.channel = str(event.channelName);
  call.topic = str(event.channelTopic);
  call.user = str(event.publisher);
  call.details = str(event.customType);
  if (event.message) call.payload.assign(event.message, event.messageLength);
  record(call);
}

void Recorder::onPresenceEvent(const PresenceEvent& event) {
  Call call;
  call.name = "onPresenceEvent";
  call.type = event.type;
  call.channelType = event.channelType;
  call.channel = str(event.channelName);
  call.user = str(event.publisher);
  call.items = states(event.stateItems, event.stateItemCount);
  if (event.type == 1) {
    for (size_t i = 0; event.snapshot.userStateList && i < event.snapshot.userCount; ++i)
      call.list.push_back(str(event.snapshot.userStateList[i].userId));
  } else {
    call.list = users(event.interval.joinUserList);
    call.list2 = users(event.interval.leaveUserList);
  }
  record(call);
}

void Recorder::onTopicEvent(const TopicEvent& event) {
  Call call;
  call.name = "onTopicEvent";
  call.type = event.type;
  call.channel = str(event.channelName);
  call.user = str(event.publisher);
  for (size_t i = 0; event.topicInfos && i < event.topicInfoCount; ++i) {
    const TopicInfo& info = event.topicInfos[i];
    for (size_t p = 0; info.publishers && p < info.publisherCount; ++p)
      call.list.push_back(str(info.topic) + "/" + str(info.publishers[p].publisherUserId));
  }
  record(call);
}

void Recorder::onLockEvent(const LockEvent& event) {
  Call call;
  call.name = "onLockEvent";
  call.type = event.eventType;
  call.channelType = event.channelType;
  call.channel = str(event.channelName);
  for (size_t i = 0; event.lockDetailList && i < event.count; ++i)
    call.list.push_back(str(event.lockDetailList[i].lockName) + "=" +
                        str(event.lockDetailList[i].owner));
  record(call);
}

void Recorder::onStorageEvent(const StorageEvent& event) {
  Call call;
  call.name = "onStorageEvent";
  call.type = event.eventType;
  call.channelType = event.storageType;
  call.user = str(event.target);
  call.items = items(event.data);
  call.majorRevision = event.data.majorRevision;
  record(call);
}

void Recorder::onTokenEvent(const TokenEvent& event) {
  Call call;
  call.name = "onTokenEvent";
  call.type = event.eventType;
  record(call);
}

void Recorder::onJoinResult(uint64_t id, const char* channel, const char* user, int code) {
  Call call = result("onJoinResult", id, code);
  call.channel = str(channel);
  call.user = str(user);
  record(call);
}

void Recorder::onLeaveResult(uint64_t id, const char* channel, const char* user, int code) {
  Call call = result("onLeaveResult", id, code);
  call.channel = str(channel);
  call.user = str(user);
  record(call);
}

void Recorder::onPublishTopicMessageResult(uint64_t id, const char* channel, const char* topic,
                                           int code) {
  Call call = result("onPublishTopicMessageResult", id, code);
  call.channel = str(channel);
  call.topic = str(topic);
  record(call);
}

void Recorder::onJoinTopicResult(uint64_t id, const char* channel, const char* user,
                                 const char* topic, const char* meta, int code) {
  Call call = result("onJoinTopicResult", id, code);
  call.channel = str(channel);
  call.user = str(user);
  call.topic = str(topic);
  call.details = str(meta);
  record(call);
}

void Recorder::onLeaveTopicResult(uint64_t id, const char* channel, const char* user,
                                  const char* topic, const char* meta, int code) {
  Call call = result("onLeaveTopicResult", id, code);
  call.channel = str(channel);
  call.user = str(user);
  call.topic = str(topic);
  call.details = str(meta);
  record(call);
}

void Recorder::onSubscribeTopicResult(uint64_t id, const char* channel, const char* user,
                                      const char* topic, UserList succeeded, UserList failed,
                                      int code) {
  Call call = result("onSubscribeTopicResult", id, code);
  call.channel = str(channel);
  call.user = str(user);
  call.topic = str(topic);
  call.list = users(succeeded);
  call.list2 = users(failed);
  record(call);
}

void Recorder::onUnsubscribeTopicResult(uint64_t id, const char* channel, const char* topic,
                                        int code) {
  Call call = result("onUnsubscribeTopicResult", id, code);
  call.channel = str(channel);
  call.topic = str(topic);
  record(call);
}

void Recorder::onGetSubscribedUserListResult(uint64_t id, const char* channel, const char* topic,
                                             UserList list, int code) {
  Call call = result("onGetSubscribedUserListResult", id, code);
  call.channel = str(channel);
  call.topic = str(topic);
  call.list = users(list);
  record(call);
}

void Recorder::onConnectionStateChanged(const char* channel, int state, int reason) {
  Call call;
  call.name = "onConnectionStateChanged";
  call.channel = str(channel);
  call.state = state;
  call.type = reason;
  record(call);
}

void Recorder::onTokenPrivilegeWillExpire(const char* channel) {
  Call call;
  call.name = "onTokenPrivilegeWillExpire";
  call.channel = str(channel);
  record(call);
}

void Recorder::onSubscribeResult(uint64_t id, const char* channel, int code) {
  Call call = result("onSubscribeResult", id, code);
  call.channel = str(channel);
  record(call);
}

void Recorder::onUnsubscribeResult(uint64_t id, const char* channel, int code) {
  Call call = result("onUnsubscribeResult", id, code);
  call.channel = str(channel);
  record(call);
}

void Recorder::onPublishResult(uint64_t id, int code) {
  record(result("onPublishResult", id, code));
}
void Recorder::onLoginResult(uint64_t id, int code) { record(result("onLoginResult", id, code)); }
void Recorder::onLogoutResult(uint64_t id, int code) { record(result("onLogoutResult", id, code)); }

void Recorder::onRenewTokenResult(uint64_t id, int serverType, const char* channel, int code) {
  Call call = result("onRenewTokenResult", id, code);
  call.type = serverType;
  call.channel = str(channel);
  record(call);
}

void Recorder::onSetChannelMetadataResult(uint64_t id, const char* channel, int type, int code) {
  Call call = result("onSetChannelMetadataResult", id, code);
  call.channel = str(channel);
  call.channelType = type;
  record(call);
}

void Recorder::onUpdateChannelMetadataResult(uint64_t id, const char* channel, int type, int code) {
  Call call = result("onUpdateChannelMetadataResult", id, code);
  call.channel = str(channel);
  call.channelType = type;
  record(call);
}

void Recorder::onRemoveChannelMetadataResult(uint64_t id, const char* channel, int type, int code) {
  Call call = result("onRemoveChannelMetadataResult", id, code);
  call.channel = str(channel);
  call.channelType = type;
  record(call);
}

void Recorder::onGetChannelMetadataResult(uint64_t id, const char* channel, int type,
                                          const Metadata& data, int code) {
  Call call = result("onGetChannelMetadataResult", id, code);
  call.channel = str(channel);
  call.channelType = type;
  call.items = items(data);
  call.majorRevision = data.majorRevision;
  record(call);
}

void Recorder::onSetUserMetadataResult(uint64_t id, const char* user, int code) {
  Call call = result("onSetUserMetadataResult", id, code);
  call.user = str(user);
  record(call);
}

void Recorder::onGetUserMetadataResult(uint64_t id, const char* user, const Metadata& data,
                                       int code) {
  Call call = result("onGetUserMetadataResult", id, code);
  call.user = str(user);
  call.items = items(data);
  call.majorRevision = data.majorRevision;
  for (size_t i = 0; data.items && i < data.itemCount; ++i)
    call.list.push_back(str(data.items[i].authorUserId));
  record(call);
}

void Recorder::onSubscribeUserMetadataResult(uint64_t id, const char* user, int code) {
  Call call = result("onSubscribeUserMetadataResult", id, code);
  call.user = str(user);
  record(call);
}

#define LOOPBACK_LOCK_RESULT(callback)                                                  \
  void Recorder::callback(uint64_t id, const char* channel, int type, const char* lock, \
                          int code) {                                                   \
    Call call = result(#callback, id, code);                                            \
    call.channel = str(channel);                                                        \
    call.channelType = type;                                                            \
    call.lockName = str(lock);                                                          \
    record(call);                                                                       \
  }
LOOPBACK_LOCK_RESULT(onSetLockResult)
LOOPBACK_LOCK_RESULT(onRemoveLockResult)
LOOPBACK_LOCK_RESULT(onReleaseLockResult)
LOOPBACK_LOCK_RESULT(onRevokeLockResult)
#undef LOOPBACK_LOCK_RESULT

void Recorder::onAcquireLockResult(uint64_t id, const char* channel, int type, const char* lock,
                                   int code, const char* details) {
  Call call = result("onAcquireLockResult", id, code);
  call.channel = str(channel);
  call.channelType = type;
  call.lockName = str(lock);
  call.details = str(details);
  record(call);
}

void Recorder::onGetLocksResult(uint64_t id, const char* channel, int type, const LockDetail* locks,
                                size_t count, int code) {
  Call call = result("onGetLocksResult", id, code);
  call.channel = str(channel);
  call.channelType = type;
  for (size_t i = 0; locks && i < count; ++i)
    call.list.push_back(str(locks[i].lockName) + "=" + str(locks[i].owner));
  record(call);
}

void Recorder::onWhoNowResult(uint64_t id, const UserState* list, size_t count,
                              const char* nextPage, int code) {
  Call call = result("onWhoNowResult", id, code);
  for (size_t i = 0; list && i < count; ++i) {
    call.list.push_back(str(list[i].userId));
    for (const auto& [key, value] : states(list[i].states, list[i].statesCount))
      call.items[str(list[i].userId) + "." + key] = value;
  }
  call.details = str(nextPage);
  record(call);
}

void Recorder::onWhereNowResult(uint64_t id, const ChannelInfo* channels, size_t count, int code) {
  Call call = result("onWhereNowResult", id, code);
  for (size_t i = 0; channels && i < count; ++i)
    call.list.push_back(std::to_string(channels[i].channelType) + ":" +
                        str(channels[i].channelName));
  record(call);
}

void Recorder::onPresenceSetStateResult(uint64_t id, int code) {
  record(result("onPresenceSetStateResult", id, code));
}

void Recorder::onPresenceGetStateResult(uint64_t id, const UserState& state, int code) {
  Call call = result("onPresenceGetStateResult", id, code);
  call.user = str(state.userId);
  call.items = states(state.states, state.statesCount);
  record(call);
}

void Recorder::onGetHistoryMessagesResult(uint64_t id, const HistoryMessage* messages, size_t count,
                                          uint64_t newStart, int code) {
  Call call = result("onGetHistoryMessagesResult", id, code);
  for (size_t i = 0; messages && i < count; ++i)
    call.list.push_back(std::string(messages[i].message, messages[i].messageLength));
  call.newStart = newStart;
  record(call);
}

}  // namespace loopback_test
