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

// Every operation of a backend, declared once: SPEC is "= 0" in the
// interface and "override" in each backend. The service's operations run
// only inside a request's body; dropLink to setTtlUnit, userId and
// streamChannelReleased run on their own.
#define LOOPBACK_BACKEND_OPERATIONS(SPEC)                                                          \
  /* Admits the request (login, connection), runs the body when admitted, then queues result(id,   \
   * code) and the follow-ups; no result when the body answers kAnswerLater. Returns the code. */  \
  virtual int request(uint64_t requestId, Need need, const Body& body, const ResultEvent& result)  \
      SPEC;                                                                                        \
  /* The session. The backend queues the link and connection events of each change of its own      \
   * (they name the channels it knows the client is in). */                                        \
  virtual int login() SPEC;                                                                        \
  /* Waiting lock acquisitions are answered (cancelled) first. */                                  \
  virtual int logout() SPEC;                                                                       \
  /* Fault injection: the link drops now (kNotLoggedIn when there is none); session identifies it  \
   * for relinkAfterDrop, which brings it back unless the client logged in or out, or dropped      \
   * again, since. */                                                                              \
  virtual int dropLink(uint64_t& session) SPEC;                                                    \
  virtual void relinkAfterDrop(uint64_t session) SPEC;                                             \
  /* The client is going: it leaves everything (once the link is back when it is down). */         \
  virtual void release() SPEC;                                                                     \
  /* The channels the client is in, and a timestamp of the service's, for its notices. */          \
  virtual std::vector<std::string> channelNames() SPEC;                                            \
  virtual uint64_t timestamp() SPEC;                                                               \
  /* The application's lock ttl unit, shared by every client of the service. */                    \
  virtual int setTtlUnit(uint32_t milliseconds) SPEC;                                              \
  /* Message and user channels. */                                                                 \
  virtual int publish(const ChannelKey& channel, const MessageCopy& message, bool storeInHistory)  \
      SPEC;                                                                                        \
  virtual int subscribe(const std::string& channel, const MemberOptions& options,                  \
                        std::vector<Event>& followUps) SPEC;                                       \
  virtual int unsubscribe(const std::string& channel) SPEC;                                        \
  /* Presence. offset: the first user of the page. */                                              \
  virtual int listUsers(const ChannelKey& channel, size_t offset,                                  \
                        std::vector<UserStateCopy>& users, std::string& nextPage) SPEC;            \
  virtual int listChannels(const std::string& userId, std::vector<ChannelCopy>& channels) SPEC;    \
  virtual int setState(const ChannelKey& channel, const StateMap& changes) SPEC;                   \
  /* No keys: every state item goes. */                                                            \
  virtual int removeState(const ChannelKey& channel, const std::vector<std::string>& keys) SPEC;   \
  virtual int getState(const ChannelKey& channel, const std::string& userId, UserStateCopy& found) \
      SPEC;                                                                                        \
  /* History. */                                                                                   \
  virtual int historyPage(const ChannelKey& channel, uint16_t count, uint64_t start, uint64_t end, \
                          HistoryPage& page) SPEC;                                                 \
  /* Storage: a user's metadata is the target {kChannelUser, user id}. */                          \
  virtual int writeMetadata(const ChannelKey& target, const MetadataWrite& write,                  \
                            const std::string& lockName) SPEC;                                     \
  virtual int getMetadata(const ChannelKey& target, MetadataCopy& found) SPEC;                     \
  /* Follows (with a snapshot among the follow-ups) or stops following a user's metadata. */       \
  virtual int followUserMetadata(const std::string& userId, bool follow,                           \
                                 std::vector<Event>& followUps) SPEC;                              \
  /* Locks, on a channel and lock name the face checked. */                                        \
  virtual int setLock(const ChannelKey& channel, const std::string& name, uint32_t ttl) SPEC;      \
  virtual int getLocks(const ChannelKey& channel, std::vector<LockCopy>& locks) SPEC;              \
  virtual int removeLock(const ChannelKey& channel, const std::string& name) SPEC;                 \
  /* kAnswerLater when the acquisition waits: answered with requestId once granted or cancelled.   \
   * details: why it was refused. */                                                               \
  virtual int acquireLock(const ChannelKey& channel, const std::string& name, bool retry,          \
                          uint64_t requestId, std::string& details) SPEC;                          \
  virtual int releaseLock(const ChannelKey& channel, const std::string& name) SPEC;                \
  virtual int revokeLock(const ChannelKey& channel, const std::string& name,                       \
                         const std::string& owner) SPEC;                                           \
  /* Stream channels, by name; topic operations need the requester joined. */                      \
  virtual const std::string& userId() const SPEC;                                                  \
  virtual int streamJoin(const std::string& channel, const MemberOptions& options,                 \
                         std::vector<Event>& followUps) SPEC;                                      \
  virtual int streamLeave(const std::string& channel) SPEC;                                        \
  virtual int joinTopic(const std::string& channel, const std::string& topic,                      \
                        const std::string& meta) SPEC;                                             \
  /* meta: what the requester had joined the topic with. */                                        \
  virtual int leaveTopic(const std::string& channel, const std::string& topic, std::string& meta)  \
      SPEC;                                                                                        \
  /* refusal: the payload's own error code, answered once the topic may be published in. A message \
   * timestamp of 0 is the service's time of sending. */                                           \
  virtual int publishTopic(const std::string& channel, const std::string& topic, int refusal,      \
                           const MessageCopy& message) SPEC;                                       \
  virtual int subscribeTopic(const std::string& channel, const std::string& topic,                 \
                             const std::vector<std::string>& users,                                \
                             TopicSubscribeOutcome& outcome) SPEC;                                 \
  /* No users: the whole subscription. */                                                          \
  virtual int unsubscribeTopic(const std::string& channel, const std::string& topic,               \
                               const std::vector<std::string>& users) SPEC;                        \
  virtual int subscribedUsers(const std::string& channel, const std::string& topic,                \
                              std::vector<std::string>& users) SPEC;                               \
  /* A released stream channel leaves its channel, outside any request (nothing to do when not a   \
   * member or the service is away). */                                                            \
  virtual void streamChannelReleased(const std::string& channel) SPEC;

class Backend {
 public:
  using Body = std::function<int(std::vector<Event>& followUps)>;
  using ResultEvent = std::function<Event(uint64_t id, int code)>;

  virtual ~Backend() = default;

  LOOPBACK_BACKEND_OPERATIONS(= 0)
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
