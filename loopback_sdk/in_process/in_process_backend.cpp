#include "loopback_sdk/in_process/in_process_backend.h"

#include <algorithm>

#include "loopback_sdk/in_process/channel_flows.h"
#include "loopback_sdk/in_process/lock_flows.h"
#include "loopback_sdk/in_process/session_flows.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

namespace {

int storageEventType(MetadataOp op) {
  return op == MetadataOp::kUpdate   ? kStorageUpdate
         : op == MetadataOp::kRemove ? kStorageRemove
                                     : kStorageSet;
}

// Tells the channel's presence subscribers about the member's new state.
void announceState(ServiceState& state, const ChannelKey& channel, const Member& member) {
  if (member.options.beQuiet) return;
  notifyMembers(state, channel, Interest::kPresence, member.clientId,
                presenceInterval(channel, PresenceChange::kState, member.userId, member.state,
                                 state.timestamp()));
}

}  // namespace

InProcessBackend::InProcessBackend(const BackendClient& client)
    : clientId_(client.id), userId_(client.userId) {
  Service& service = Service::instance();
  service.clientCreated();
  service.locked([&](ServiceState& state) {
    state.clients.add(client.id, client.appId, client.userId, &client.events);
  });
}

InProcessBackend::~InProcessBackend() { Service::instance().clientReleased(); }

const std::string& InProcessBackend::userId() const { return userId_; }

void InProcessBackend::postLinkChange(ServiceState& state, int previous, int current, int operation,
                                      const char* reason, bool resumed) {
  LinkChange change;
  change.previous = previous;
  change.current = current;
  change.operation = operation;
  change.reason = reason;
  change.affectedChannels = channelNamesOf(state, clientId_);
  change.resumed = resumed;
  state.clients.reply(clientId_, linkStateEvent(std::move(change), state.timestamp()));
}

int InProcessBackend::login() {
  ClientRecord& client = current().client;
  if (client.loggedIn) return kOk;
  client.loggedIn = client.connected = true;
  ++client.connectionEpoch;
  postLinkChange(current().state, kLinkIdle, kLinkConnected, kLinkOpLogin, "login");
  current().state.clients.reply(
      clientId_, connectionStateEvent("", kConnectionConnected, kReasonLoginSuccess));
  return kOk;
}

int InProcessBackend::logout() {
  Request& r = current();
  if (!r.client.loggedIn) return kNotLoggedIn;
  leaveEverything(r.state, clientId_, true);
  const int previous = r.client.connected ? kLinkConnected : kLinkDisconnected;
  r.client.loggedIn = r.client.connected = false;
  ++r.client.connectionEpoch;
  postLinkChange(r.state, previous, kLinkIdle, kLinkOpLogout, "logout");
  r.state.clients.reply(clientId_,
                        connectionStateEvent("", kConnectionDisconnected, kReasonLogout));
  return kOk;
}

int InProcessBackend::dropLink(uint64_t& session) {
  return Service::instance().locked([&](ServiceState& state) -> int {
    ClientRecord* client = state.clients.find(clientId_);
    if (!client || !client->loggedIn || !client->connected) return kNotLoggedIn;
    client->connected = false;
    session = ++client->connectionEpoch;
    postLinkChange(state, kLinkConnected, kLinkDisconnected, kLinkOpConnectionDropped,
                   "connection dropped");
    state.clients.reply(clientId_,
                        connectionStateEvent("", kConnectionReconnecting, kReasonInterrupted));
    return kOk;
  });
}

void InProcessBackend::relinkAfterDrop(uint64_t session) {
  Service::instance().locked([&](ServiceState& state) {
    ClientRecord* client = state.clients.find(clientId_);
    if (!client || client->connectionEpoch != session || !client->loggedIn) return;
    client->connected = true;
    postLinkChange(state, kLinkDisconnected, kLinkConnected, kLinkOpReconnected, "reconnected",
                   true);
    state.clients.reply(clientId_,
                        connectionStateEvent("", kConnectionConnected, kReasonReconnected));
  });
}

void InProcessBackend::release() {
  Service::instance().locked([&](ServiceState& state) {
    leaveEverything(state, clientId_, false);
    state.clients.remove(clientId_);
  });
}

std::vector<std::string> InProcessBackend::channelNames() {
  return Service::instance().locked(
      [&](ServiceState& state) { return channelNamesOf(state, clientId_); });
}

uint64_t InProcessBackend::timestamp() {
  return Service::instance().locked([](ServiceState& state) { return state.timestamp(); });
}

int InProcessBackend::setTtlUnit(uint32_t milliseconds) {
  Service::instance().locked([&](ServiceState& state) { state.ttlUnitMs = milliseconds; });
  return kOk;
}

int InProcessBackend::publish(const ChannelKey& channel, const MessageCopy& message,
                              bool storeInHistory) {
  Request& r = current();
  auto copy = std::make_shared<MessageCopy>(message);
  copy->publisher = userId_;
  copy->timestamp = r.state.timestamp();
  // A user-channel message names its sender as the channel, the one to reply to.
  const bool toUser = channel.type == kChannelUser;
  const Event event = messageEvent(channel.type, toUser ? userId_ : channel.name, "", copy);
  // Recipients: every client of the user, or the subscribers that asked for messages.
  std::vector<uint64_t> recipients;
  if (toUser) {
    recipients = r.state.clients.idsOfUser(channel.name);
  } else {
    for (const Member& member : r.state.members.members(channel))
      if (member.options.withMessage) recipients.push_back(member.clientId);
  }
  for (uint64_t recipient : recipients) r.state.clients.notify(recipient, event);
  if (storeInHistory) r.state.history.store(channel, *copy);
  return kOk;
}

int InProcessBackend::subscribe(const std::string& channel, const MemberOptions& options,
                                std::vector<Event>&) {
  enterChannel(current(), {kChannelMessage, channel}, options);
  return kOk;
}

int InProcessBackend::unsubscribe(const std::string& channel) {
  Request& r = current();
  return exitChannel(r.state, clientId_, {kChannelMessage, channel}) ? kOk : kNotInChannel;
}

int InProcessBackend::request(uint64_t requestId, Need need, const Body& body,
                              const ResultEvent& result) {
  return Service::instance().locked([&](ServiceState& state) -> int {
    int code = state.clients.admit(clientId_, need);
    ClientRecord* client = state.clients.find(clientId_);
    if (!client) return code;
    Request request{state, *client, requestId, {}};
    if (code == kOk) {
      current_ = &request;
      // A body that fails unexpectedly still answers, so no request is left waiting.
      try {
        code = body(request.followUps);
      } catch (...) {
        code = kFailure;
        request.followUps.clear();
      }
      current_ = nullptr;
    }
    if (code != kAnswerLater) state.clients.reply(clientId_, result(requestId, code));
    for (Event& event : request.followUps) state.clients.reply(clientId_, std::move(event));
    return code;
  });
}

int InProcessBackend::listUsers(const ChannelKey& channel, size_t offset,
                                std::vector<UserStateCopy>& users, std::string& nextPage) {
  const std::vector<UserStateCopy> all = current().state.members.visibleUsers(channel);
  const size_t first = std::min(offset, all.size());
  const size_t last = std::min(first + kPresencePageSize, all.size());
  users.assign(all.begin() + first, all.begin() + last);
  if (last < all.size()) nextPage = std::to_string(last);
  return kOk;
}

int InProcessBackend::listChannels(const std::string& userId, std::vector<ChannelCopy>& channels) {
  channels = current().state.members.channelsOfUser(userId);
  return kOk;
}

int InProcessBackend::setState(const ChannelKey& channel, const StateMap& changes) {
  Request& r = current();
  Member* member = r.state.members.find(channel, r.client.id);
  if (!member) return kNotInChannel;
  mergeState(member->state, changes);
  announceState(r.state, channel, *member);
  return kOk;
}

int InProcessBackend::removeState(const ChannelKey& channel, const std::vector<std::string>& keys) {
  Request& r = current();
  Member* member = r.state.members.find(channel, r.client.id);
  if (!member) return kNotInChannel;
  if (keys.empty())
    member->state.clear();
  else
    removeStateKeys(member->state, keys);
  announceState(r.state, channel, *member);
  return kOk;
}

int InProcessBackend::getState(const ChannelKey& channel, const std::string& userId,
                               UserStateCopy& found) {
  for (const UserStateCopy& user : current().state.members.visibleUsers(channel)) {
    if (user.userId == userId) {
      found = user;
      return kOk;
    }
  }
  return kUserNotPresent;
}

int InProcessBackend::historyPage(const ChannelKey& channel, uint16_t count, uint64_t start,
                                  uint64_t end, HistoryPage& page) {
  page = current().state.history.page(channel, count, start, end);
  return kOk;
}

int InProcessBackend::writeMetadata(const ChannelKey& target, const MetadataWrite& write,
                                    const std::string& lockName) {
  Request& r = current();
  ServiceState& state = r.state;
  const bool ofUser = target.type == kChannelUser;
  // A lock-guarded write needs the named lock of that channel held by the writer.
  if (!lockName.empty()) {
    const LockEntry* lock = state.locks.find(target, lockName);
    if (!lock) return kLockNotFound;
    if (lock->ownerClient != r.client.id) return kLockNotHeld;
  }
  const int64_t now = static_cast<int64_t>(state.timestamp());
  MetadataRecord& stored =
      ofUser ? state.metadata.user(target.name) : state.metadata.channel(target);
  if (const int code = stored.apply(write, r.client.userId, now)) return code;
  const MetadataCopy copy =
      ofUser ? state.metadata.userCopy(target.name) : state.metadata.channelCopy(target);
  const Event event =
      storageEvent(target.type, ofUser ? kStorageUser : kStorageChannel, storageEventType(write.op),
                   target.name, copy, state.timestamp());
  if (!ofUser) {
    notifyMembers(state, target, Interest::kMetadata, 0, event);
    return kOk;
  }
  for (uint64_t follower : state.metadata.followers(target.name))
    state.clients.notify(follower, event);
  return kOk;
}

int InProcessBackend::getMetadata(const ChannelKey& target, MetadataCopy& found) {
  MetadataStore& metadata = current().state.metadata;
  found =
      target.type == kChannelUser ? metadata.userCopy(target.name) : metadata.channelCopy(target);
  return kOk;
}

int InProcessBackend::followUserMetadata(const std::string& userId, bool follow,
                                         std::vector<Event>& followUps) {
  Request& r = current();
  if (!follow) {
    r.state.metadata.unfollow(userId, r.client.id);
    return kOk;
  }
  r.state.metadata.follow(userId, r.client.id);
  followUps.push_back(storageEvent(kChannelUser, kStorageUser, kStorageSnapshot, userId,
                                   r.state.metadata.userCopy(userId), r.state.timestamp()));
  return kOk;
}

template <typename Work>
int InProcessBackend::onExistingLock(const ChannelKey& channel, const std::string& name,
                                     Work work) {
  LockEntry* lock = current().state.locks.find(channel, name);
  return lock ? work(*lock) : kLockNotFound;
}

int InProcessBackend::setLock(const ChannelKey& channel, const std::string& name, uint32_t ttl) {
  ServiceState& state = current().state;
  if (!state.locks.create(channel, name, ttl)) return kLockExists;
  notifyLock(state, channel, kLockSet, *state.locks.find(channel, name));
  return kOk;
}

int InProcessBackend::getLocks(const ChannelKey& channel, std::vector<LockCopy>& locks) {
  locks = current().state.locks.list(channel);
  return kOk;
}

int InProcessBackend::removeLock(const ChannelKey& channel, const std::string& name) {
  Request& r = current();
  return onExistingLock(channel, name, [&](LockEntry& lock) -> int {
    if (lock.held() && lock.ownerClient != r.client.id) return kLockHeldElsewhere;
    for (const LockWaiter& waiter : lock.waiters)
      r.state.clients.reply(waiter.clientId, acquireResult(waiter.requestId, channel, name,
                                                           kLockAcquireCancelled, "lock removed"));
    LockEntry removed = lock;
    r.state.locks.erase(channel, name);
    notifyLock(r.state, channel, kLockRemoved, removed);
    return kOk;
  });
}

int InProcessBackend::acquireLock(const ChannelKey& channel, const std::string& name, bool retry,
                                  uint64_t requestId, std::string& details) {
  Request& r = current();
  return onExistingLock(channel, name, [&](LockEntry& lock) -> int {
    if (lock.ownerClient == r.client.id) return kOk;
    if (!lock.held()) {
      grantLock(r.state, channel, lock, r.client);
      return kOk;
    }
    if (retry) {
      // Answered when the lock is granted (or the wait is cancelled).
      lock.waiters.push_back({r.client.id, requestId});
      return kAnswerLater;
    }
    details = "lock is held by " + lock.owner;
    return kLockHeldElsewhere;
  });
}

int InProcessBackend::releaseLock(const ChannelKey& channel, const std::string& name) {
  Request& r = current();
  return onExistingLock(channel, name, [&](LockEntry& lock) -> int {
    if (lock.ownerClient != r.client.id) return kLockNotHeld;
    freeLock(r.state, channel, lock, kLockReleased);
    return kOk;
  });
}

int InProcessBackend::revokeLock(const ChannelKey& channel, const std::string& name,
                                 const std::string& owner) {
  Request& r = current();
  return onExistingLock(channel, name, [&](LockEntry& lock) -> int {
    if (!lock.held() || lock.owner != owner) return kLockNotHeld;
    freeLock(r.state, channel, lock, kLockReleased);
    return kOk;
  });
}

int InProcessBackend::checkJoined(const std::string& channel) {
  Request& r = current();
  return r.state.members.find({kChannelStream, channel}, r.client.id) ? kOk : kNotInChannel;
}

int InProcessBackend::streamJoin(const std::string& channel, const MemberOptions& options,
                                 std::vector<Event>&) {
  enterChannel(current(), {kChannelStream, channel}, options);
  return kOk;
}

int InProcessBackend::streamLeave(const std::string& channel) {
  Request& r = current();
  return exitChannel(r.state, r.client.id, {kChannelStream, channel}) ? kOk : kNotInChannel;
}

int InProcessBackend::joinTopic(const std::string& channel, const std::string& topic,
                                const std::string& meta) {
  if (const int code = checkJoined(channel)) return code;
  Request& r = current();
  r.state.topics.join(channel, topic, r.client.id, userId_, meta);
  TopicCopy joined{topic, {{userId_, meta}}};
  notifyMembers(r.state, {kChannelStream, channel}, Interest::kAny, r.client.id,
                topicEvent(kTopicRemoteJoin, channel, userId_, {joined}, r.state.timestamp()));
  return kOk;
}

int InProcessBackend::leaveTopic(const std::string& channel, const std::string& topic,
                                 std::string& meta) {
  if (const int code = checkJoined(channel)) return code;
  Request& r = current();
  if (!r.state.topics.leave(channel, topic, r.client.id, meta)) return kTopicNotJoined;
  TopicCopy left{topic, {{userId_, meta}}};
  notifyMembers(r.state, {kChannelStream, channel}, Interest::kAny, r.client.id,
                topicEvent(kTopicRemoteLeave, channel, userId_, {left}, r.state.timestamp()));
  return kOk;
}

int InProcessBackend::publishTopic(const std::string& channel, const std::string& topic,
                                   int refusal, const MessageCopy& message) {
  if (const int code = checkJoined(channel)) return code;
  Request& r = current();
  if (!r.state.topics.publishes(channel, topic, r.client.id)) return kTopicNotJoined;
  if (refusal != kOk) return refusal;
  auto copy = std::make_shared<MessageCopy>(message);
  copy->publisher = userId_;
  if (!copy->timestamp) copy->timestamp = r.state.timestamp();
  const Event event = messageEvent(kChannelStream, channel, topic, copy);
  for (uint64_t recipient : r.state.topics.recipients(channel, topic, r.client.id, userId_))
    r.state.clients.notify(recipient, event);
  return kOk;
}

int InProcessBackend::subscribeTopic(const std::string& channel, const std::string& topic,
                                     const std::vector<std::string>& users,
                                     TopicSubscribeOutcome& outcome) {
  if (const int code = checkJoined(channel)) return code;
  outcome = current().state.topics.subscribe(channel, topic, clientId_, users);
  return kOk;
}

int InProcessBackend::unsubscribeTopic(const std::string& channel, const std::string& topic,
                                       const std::vector<std::string>& users) {
  if (const int code = checkJoined(channel)) return code;
  return current().state.topics.unsubscribe(channel, topic, clientId_, users) ? kOk
                                                                              : kTopicNotSubscribed;
}

int InProcessBackend::subscribedUsers(const std::string& channel, const std::string& topic,
                                      std::vector<std::string>& users) {
  if (const int code = checkJoined(channel)) return code;
  users = current().state.topics.subscribedUsers(channel, topic, clientId_);
  return kOk;
}

void InProcessBackend::streamChannelReleased(const std::string& channel) {
  Service::instance().locked([&](ServiceState& state) {
    if (state.clients.find(clientId_)) exitChannel(state, clientId_, {kChannelStream, channel});
  });
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
