// What the SDK face asks of a backend for one client: the shape of a request
// (admission, body, then the result and follow-ups queued in request order)
// and one operation per service operation. The face checks the arguments and
// builds every result; an operation runs only inside a request's body,
// answers an error code, fills its data and queues the requester's own
// events (the follow-ups come after the result).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// What a request needs before it can run.
enum class Need { kNothing, kConnection };

// What a member of a channel asked for.
struct MemberOptions {
  bool withMessage = true;
  bool withMetadata = false;
  bool withPresence = true;
  bool withLock = false;
  bool beQuiet = false;
};

// The users a topic subscription reached and those it could not.
struct TopicSubscribeOutcome {
  std::vector<std::string> succeeded;
  std::vector<std::string> failed;
};

class Backend {
 public:
  using Body = std::function<int(std::vector<Event>& followUps)>;
  using ResultEvent = std::function<Event(uint64_t id, int code)>;

  virtual ~Backend() = default;

  // Admits the request (injected failure, login, connection), runs the body
  // when admitted, then queues result(id, code) and the follow-ups; no result
  // when the body answers kAnswerLater. Returns the code.
  virtual int request(uint64_t requestId, Need need, const Body& body,
                      const ResultEvent& result) = 0;

  // Presence. offset: the first user of the page.
  virtual int listUsers(const ChannelKey& channel, size_t offset, std::vector<UserStateCopy>& users,
                        std::string& nextPage) = 0;
  virtual int listChannels(const std::string& userId, std::vector<ChannelCopy>& channels) = 0;
  virtual int setState(const ChannelKey& channel, const StateMap& changes) = 0;
  // No keys: every state item goes.
  virtual int removeState(const ChannelKey& channel, const std::vector<std::string>& keys) = 0;
  virtual int getState(const ChannelKey& channel, const std::string& userId,
                       UserStateCopy& found) = 0;

  // History.
  virtual int historyPage(const ChannelKey& channel, uint16_t count, uint64_t start, uint64_t end,
                          HistoryPage& page) = 0;

  // Storage: a user's metadata is the target {kChannelUser, user id}.
  virtual int writeMetadata(const ChannelKey& target, const MetadataWrite& write,
                            const std::string& lockName) = 0;
  virtual int getMetadata(const ChannelKey& target, MetadataCopy& found) = 0;
  // Follows (with a snapshot among the follow-ups) or stops following a user's metadata.
  virtual int followUserMetadata(const std::string& userId, bool follow,
                                 std::vector<Event>& followUps) = 0;

  // Locks, on a channel and lock name the face checked.
  virtual int setLock(const ChannelKey& channel, const std::string& name, uint32_t ttl) = 0;
  virtual int getLocks(const ChannelKey& channel, std::vector<LockCopy>& locks) = 0;
  virtual int removeLock(const ChannelKey& channel, const std::string& name) = 0;
  // kAnswerLater when the acquisition waits: answered with requestId once
  // granted or cancelled. details: why it was refused.
  virtual int acquireLock(const ChannelKey& channel, const std::string& name, bool retry,
                          uint64_t requestId, std::string& details) = 0;
  virtual int releaseLock(const ChannelKey& channel, const std::string& name) = 0;
  virtual int revokeLock(const ChannelKey& channel, const std::string& name,
                         const std::string& owner) = 0;

  // Stream channels, by name; topic operations need the requester joined.
  virtual const std::string& userId() const = 0;
  virtual int streamJoin(const std::string& channel, const MemberOptions& options,
                         std::vector<Event>& followUps) = 0;
  virtual int streamLeave(const std::string& channel) = 0;
  virtual int joinTopic(const std::string& channel, const std::string& topic,
                        const std::string& meta) = 0;
  // meta: what the requester had joined the topic with.
  virtual int leaveTopic(const std::string& channel, const std::string& topic,
                         std::string& meta) = 0;
  // refusal: the payload's own error code, answered once the topic may be
  // published in. A message timestamp of 0 is the service's time of sending.
  virtual int publishTopic(const std::string& channel, const std::string& topic, int refusal,
                           const MessageCopy& message) = 0;
  virtual int subscribeTopic(const std::string& channel, const std::string& topic,
                             const std::vector<std::string>& users,
                             TopicSubscribeOutcome& outcome) = 0;
  // No users: the whole subscription.
  virtual int unsubscribeTopic(const std::string& channel, const std::string& topic,
                               const std::vector<std::string>& users) = 0;
  virtual int subscribedUsers(const std::string& channel, const std::string& topic,
                              std::vector<std::string>& users) = 0;
  // A released stream channel leaves its channel, outside any request
  // (nothing to do when not a member or the service is away).
  virtual void streamChannelReleased(const std::string& channel) = 0;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
