// Builders of the pushed events (presence, topic, lock, storage, message,
// link state). Each returns an Event that owns copies of its data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

enum class PresenceChange { kJoin, kLeave, kState };

Event presenceSnapshot(const ChannelKey& channel, std::vector<UserStateCopy> users,
                       uint64_t timestamp);
// An interval event naming one user's change; state is the user's whole state.
Event presenceInterval(const ChannelKey& channel, PresenceChange change, const std::string& userId,
                       StateMap state, uint64_t timestamp);

Event topicEvent(int type, const std::string& channel, const std::string& publisher,
                 std::vector<TopicCopy> topics, uint64_t timestamp);

Event lockEvent(const ChannelKey& channel, int eventType, std::vector<LockCopy> locks,
                uint64_t timestamp);

Event storageEvent(int channelType, int storageType, int eventType, const std::string& target,
                   MetadataCopy data, uint64_t timestamp);

// One copy of the payload is shared by every recipient's event.
Event messageEvent(int channelType, const std::string& channel, const std::string& topic,
                   std::shared_ptr<const MessageCopy> message);

struct LinkChange {
  int previous = 0;
  int current = 0;
  int operation = 0;
  std::string reason;
  std::vector<std::string> affectedChannels;
  bool resumed = false;
};
Event linkStateEvent(LinkChange change, uint64_t timestamp);
Event connectionStateEvent(const std::string& channel, int state, int reason);
// The token of a client in these message channels will expire.
Event tokenWillExpireEvent(std::vector<std::string> channels, uint64_t timestamp);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
