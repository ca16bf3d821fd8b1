// Entering and leaving channels, and telling the members who asked for it.
#pragma once

#include <cstdint>

#include "loopback_sdk/in_process/channel_members.h"
#include "loopback_sdk/in_process/request.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// Members that asked for presence, locks or metadata, except one client.
enum class Interest { kMessage, kPresence, kLock, kMetadata, kAny };
void notifyMembers(ServiceState& state, const ChannelKey& channel, Interest interest,
                   uint64_t exceptClient, const Event& event);

// Adds the requester; announces a newly visible user to the others and queues
// the snapshots it asked for (presence, metadata, locks; topics of a stream
// channel) after its result. A member entering again only changes its options.
void enterChannel(Request& request, const ChannelKey& channel, const MemberOptions& options);

// Takes the client out (of the channel's topics too) and tells the others.
// False when it was not a member.
bool exitChannel(ServiceState& state, uint64_t clientId, const ChannelKey& channel);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
