#include "loopback_sdk/in_process/channel_flows.h"

#include "loopback_sdk/notices.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

namespace {

bool wants(const MemberOptions& options, Interest interest) {
  switch (interest) {
    case Interest::kMessage:
      return options.withMessage;
    case Interest::kPresence:
      return options.withPresence;
    case Interest::kLock:
      return options.withLock;
    case Interest::kMetadata:
      return options.withMetadata;
    case Interest::kAny:
      return true;
  }
  return false;
}

}  // namespace

void notifyMembers(ServiceState& state, const ChannelKey& channel, Interest interest,
                   uint64_t exceptClient, const Event& event) {
  for (const Member& member : state.members.members(channel))
    if (member.clientId != exceptClient && wants(member.options, interest))
      state.clients.notify(member.clientId, event);
}

void enterChannel(Request& request, const ChannelKey& channel, const MemberOptions& options) {
  ServiceState& state = request.state;
  const std::string& userId = request.client.userId;
  const bool wasVisible = state.members.userVisible(channel, userId);
  if (!state.members.add(channel, request.client.id, userId, options)) return;

  if (!options.beQuiet && !wasVisible)
    notifyMembers(state, channel, Interest::kPresence, request.client.id,
                  presenceInterval(channel, PresenceChange::kJoin, userId, {}, state.timestamp()));
  if (options.withPresence)
    request.followUps.push_back(
        presenceSnapshot(channel, state.members.visibleUsers(channel), state.timestamp()));
  if (options.withMetadata)
    request.followUps.push_back(storageEvent(channel.type, kStorageChannel, kStorageSnapshot,
                                             channel.name, state.metadata.channelCopy(channel),
                                             state.timestamp()));
  if (options.withLock)
    request.followUps.push_back(
        lockEvent(channel, kLockSnapshot, state.locks.list(channel), state.timestamp()));
  if (channel.type == kChannelStream)
    request.followUps.push_back(topicEvent(kTopicSnapshot, channel.name, "",
                                           state.topics.snapshot(channel.name), state.timestamp()));
}

bool exitChannel(ServiceState& state, uint64_t clientId, const ChannelKey& channel) {
  Member* member = state.members.find(channel, clientId);
  if (!member) return false;
  const std::string userId = member->userId;
  const bool quiet = member->options.beQuiet;

  if (channel.type == kChannelStream) {
    for (const LeftTopic& left : state.topics.removeClient(channel.name, clientId)) {
      TopicCopy topic{left.topic, {{userId, left.meta}}};
      notifyMembers(
          state, channel, Interest::kAny, clientId,
          topicEvent(kTopicRemoteLeave, channel.name, userId, {topic}, state.timestamp()));
    }
  }
  state.members.remove(channel, clientId);
  if (!quiet && !state.members.userVisible(channel, userId))
    notifyMembers(state, channel, Interest::kPresence, clientId,
                  presenceInterval(channel, PresenceChange::kLeave, userId, {}, state.timestamp()));
  return true;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
