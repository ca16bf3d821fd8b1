#include "loopback_sdk/in_process/session_flows.h"

#include <chrono>

#include "loopback_sdk/in_process/channel_flows.h"
#include "loopback_sdk/in_process/lock_flows.h"
#include "loopback_sdk/in_process/loopback_service.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

void leaveEverything(ServiceState& state, uint64_t clientId, bool answerWaiters) {
  for (const ChannelKey& channel : state.members.channelsOf(clientId))
    exitChannel(state, clientId, channel);
  state.metadata.unfollowAll(clientId);
  for (const LockRef& ref : state.locks.heldBy(clientId))
    if (const LockEntry* lock = state.locks.find(ref.channel, ref.name))
      expireLater(state, ref.channel, *lock);
  for (const auto& [ref, waiter] : state.locks.dropWaiter(clientId))
    if (answerWaiters)
      state.clients.reply(clientId, acquireResult(waiter.requestId, ref.channel, ref.name,
                                                  kLockAcquireCancelled, "cancelled by logout"));
}

std::vector<std::string> channelNamesOf(const ServiceState& state, uint64_t clientId) {
  std::vector<std::string> names;
  for (const ChannelKey& channel : state.members.channelsOf(clientId))
    names.push_back(channel.name);
  return names;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
