#include "loopback_sdk/notices.h"

#include <utility>

#include "loopback_sdk/sdk_constants.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

Event presenceSnapshot(const ChannelKey& channel, std::vector<UserStateCopy> users,
                       uint64_t timestamp) {
  return [channel, users = std::move(users), timestamp](IKivEventHandler& handler) {
    UserStatesView states(users);
    sdk::PresenceEvent event;
    event.type = kPresenceSnapshot;
    event.channelType = channel.type;
    event.channelName = channel.name.c_str();
    event.publisher = "";
    event.snapshot.userStateList = states.data();
    event.snapshot.userCount = states.size();
    event.timestamp = timestamp;
    handler.onPresenceEvent(event);
  };
}

Event presenceInterval(const ChannelKey& channel, PresenceChange change, const std::string& userId,
                       StateMap state, uint64_t timestamp) {
  return [channel, change, userId, state = std::move(state), timestamp](IKivEventHandler& handler) {
    const std::vector<std::string> user{userId};
    const std::vector<UserStateCopy> userState{{userId, state}};
    StringsView users(user);
    StateItemsView items(state);
    UserStatesView states(userState);
    sdk::PresenceEvent event;
    event.type = kPresenceInterval;
    event.channelType = channel.type;
    event.channelName = channel.name.c_str();
    event.publisher = userId.c_str();
    event.stateItems = items.data();
    event.stateItemCount = items.size();
    if (change == PresenceChange::kJoin) event.interval.joinUserList = users.userList();
    if (change == PresenceChange::kLeave) event.interval.leaveUserList = users.userList();
    if (change == PresenceChange::kState) {
      event.interval.userStateList = states.data();
      event.interval.userStateCount = states.size();
    }
    event.timestamp = timestamp;
    handler.onPresenceEvent(event);
  };
}

Event topicEvent(int type, const std::string& channel, const std::string& publisher,
                 std::vector<TopicCopy> topics, uint64_t timestamp) {
  return
      [type, channel, publisher, topics = std::move(topics), timestamp](IKivEventHandler& handler) {
        TopicsView infos(topics);
        sdk::TopicEvent event;
        event.type = type;
        event.channelName = channel.c_str();
        event.publisher = publisher.c_str();
        event.topicInfos = infos.data();
        event.topicInfoCount = infos.size();
        event.timestamp = timestamp;
        handler.onTopicEvent(event);
      };
}

Event lockEvent(const ChannelKey& channel, int eventType, std::vector<LockCopy> locks,
                uint64_t timestamp) {
  return [channel, eventType, locks = std::move(locks), timestamp](IKivEventHandler& handler) {
    LocksView details(locks);
    sdk::LockEvent event;
    event.channelType = channel.type;
    event.eventType = eventType;
    event.channelName = channel.name.c_str();
    event.lockDetailList = details.data();
    event.count = details.size();
    event.timestamp = timestamp;
    handler.onLockEvent(event);
  };
}

Event storageEvent(int channelType, int storageType, int eventType, const std::string& target,
                   MetadataCopy data, uint64_t timestamp) {
  return [channelType, storageType, eventType, target, data = std::move(data),
          timestamp](IKivEventHandler& handler) {
    MetadataView metadata(data);
    sdk::StorageEvent event;
    event.channelType = channelType;
    event.storageType = storageType;
    event.eventType = eventType;
    event.target = target.c_str();
    event.data = metadata.get();
    event.timestamp = timestamp;
    handler.onStorageEvent(event);
  };
}

Event messageEvent(int channelType, const std::string& channel, const std::string& topic,
                   std::shared_ptr<const MessageCopy> message) {
  return [channelType, channel, topic, message = std::move(message)](IKivEventHandler& handler) {
    sdk::MessageEvent event;
    event.channelType = channelType;
    event.messageType = message->messageType;
    event.channelName = channel.c_str();
    event.channelTopic = topic.c_str();
    event.message = message->payload.data();
    event.messageLength = message->payload.size();
    event.publisher = message->publisher.c_str();
    event.customType = message->customType.c_str();
    event.timestamp = message->timestamp;
    handler.onMessageEvent(event);
  };
}

Event linkStateEvent(LinkChange change, uint64_t timestamp) {
  return [change = std::move(change), timestamp](IKivEventHandler& handler) {
    StringsView affected(change.affectedChannels);
    sdk::LinkStateEvent event;
    event.currentState = change.current;
    event.previousState = change.previous;
    event.serviceType = kLinkServiceMessage;
    event.operation = change.operation;
    event.reasonCode = change.operation;
    event.reason = change.reason.c_str();
    event.affectedChannels = affected.data();
    event.affectedChannelCount = affected.size();
    event.isResumed = change.resumed;
    event.timestamp = timestamp;
    handler.onLinkStateEvent(event);
  };
}

Event connectionStateEvent(const std::string& channel, int state, int reason) {
  return [channel, state, reason](IKivEventHandler& handler) {
    handler.onConnectionStateChanged(channel.c_str(), state, reason);
  };
}

Event tokenWillExpireEvent(std::vector<std::string> channels, uint64_t timestamp) {
  return [channels = std::move(channels), timestamp](IKivEventHandler& handler) {
    StringsView names(channels);
    sdk::TokenEvent event;
    event.eventType = kTokenWillExpire;
    event.reason = "token will expire";
    event.affectedResources.messageChannels.channels = names.data();
    event.affectedResources.messageChannels.channelCount = names.size();
    event.timestamp = timestamp;
    handler.onTokenEvent(event);
  };
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
