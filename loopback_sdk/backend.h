// What the SDK face asks of a backend for one client: the shape of a request
// (admission, body, then the result and follow-ups queued in request order)
// and one operation per service operation. The face checks the arguments and
// builds every result; an operation runs only inside a request's body,
// answers an error code, fills its data and queues the requester's own
// events (the follow-ups come after the result).
#pragma once

#include <climits>
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

// A request body's answer when the result is sent later (a waiting lock acquisition).
constexpr int kAnswerLater = INT_MIN;

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

// Who a backend serves: the client's id, application and user, and the
// dispatcher that carries the client's events.
struct BackendClient {
  uint64_t id;
  std::string appId;
  std::string userId;
  EventDispatcher& events;
};

class Backend {
 public:
  using Body = std::function<int(std::vector<Event>& followUps)>;
  using ResultEvent = std::function<Event(uint64_t id, int code)>;

  virtual ~Backend() = default;

  // Admits the request (login, connection), runs the body
  // when admitted, then queues result(id, code) and the follow-ups; no result
  // when the body answers kAnswerLater. Returns the code.
  virtual int request(uint64_t requestId, Need need, const Body& body,
                      const ResultEvent& result) = 0;

  // The session. The backend queues the link and connection events of each
  // change of its own (they name the channels it knows the client is in).
  virtual int login() = 0;
  // Waiting lock acquisitions are answered (cancelled) first.
  virtual int logout() = 0;
  // Fault injection: the link drops now (kNotLoggedIn when there is none);
  // session identifies it for relinkAfterDrop, which brings it back unless
  // the client logged in or out, or dropped again, since.
  virtual int dropLink(uint64_t& session) = 0;
  virtual void relinkAfterDrop(uint64_t session) = 0;
  // The client is going: it leaves everything (once the link is back when it is down).
  virtual void release() = 0;
  // The channels the client is in, and a timestamp of the service's, for its notices.
  virtual std::vector<std::string> channelNames() = 0;
  virtual uint64_t timestamp() = 0;
  // The application's lock ttl unit, shared by every client of the service.
  virtual int setTtlUnit(uint32_t milliseconds) = 0;

  // Message and user channels.
  virtual int publish(const ChannelKey& channel, const MessageCopy& message,
                      bool storeInHistory) = 0;
  virtual int subscribe(const std::string& channel, const MemberOptions& options,
                        std::vector<Event>& followUps) = 0;
  virtual int unsubscribe(const std::string& channel) = 0;

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
