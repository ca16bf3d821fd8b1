// The Redis backend of one client: the same requests, results and events as
// the in-process backend, on the shared service in Redis, with clients of
// other processes (and machines) in the same channels.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/redis/redis_hub.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class RedisBackend final : public Backend, private HubClient {
 public:
  // Attaches the client to the process's hub for that Redis server.
  RedisBackend(const BackendClient& client, RedisHub& hub);
  ~RedisBackend() override;

  // Parses the address ("host:port" or "redis://host:port/db") and makes the
  // backend; kInvalidRedisAddress, with what is wrong on stderr, when the
  // address does not parse.
  static int make(const std::string& address, const BackendClient& client,
                  std::unique_ptr<Backend>& made);

  int request(uint64_t requestId, Need need, const Body& body, const ResultEvent& result) override;

  int login() override;
  int logout() override;
  int dropLink(uint64_t& session) override;
  void relinkAfterDrop(uint64_t session) override;
  void release() override;
  std::vector<std::string> channelNames() override;
  uint64_t timestamp() override;
  int setTtlUnit(uint32_t milliseconds) override;

  int publish(const ChannelKey& channel, const MessageCopy& message, bool storeInHistory) override;
  int subscribe(const std::string& channel, const MemberOptions& options,
                std::vector<Event>& followUps) override;
  int unsubscribe(const std::string& channel) override;

  int listUsers(const ChannelKey& channel, size_t offset, std::vector<UserStateCopy>& users,
                std::string& nextPage) override;
  int listChannels(const std::string& userId, std::vector<ChannelCopy>& channels) override;
  int setState(const ChannelKey& channel, const StateMap& changes) override;
  int removeState(const ChannelKey& channel, const std::vector<std::string>& keys) override;
  int getState(const ChannelKey& channel, const std::string& userId, UserStateCopy& found) override;
  int historyPage(const ChannelKey& channel, uint16_t count, uint64_t start, uint64_t end,
                  HistoryPage& page) override;
  int writeMetadata(const ChannelKey& target, const MetadataWrite& write,
                    const std::string& lockName) override;
  int getMetadata(const ChannelKey& target, MetadataCopy& found) override;
  int followUserMetadata(const std::string& userId, bool follow,
                         std::vector<Event>& followUps) override;
  int setLock(const ChannelKey& channel, const std::string& name, uint32_t ttl) override;
  int getLocks(const ChannelKey& channel, std::vector<LockCopy>& locks) override;
  int removeLock(const ChannelKey& channel, const std::string& name) override;
  int acquireLock(const ChannelKey& channel, const std::string& name, bool retry,
                  uint64_t requestId, std::string& details) override;
  int releaseLock(const ChannelKey& channel, const std::string& name) override;
  int revokeLock(const ChannelKey& channel, const std::string& name,
                 const std::string& owner) override;

  const std::string& userId() const override { return userId_; }
  int streamJoin(const std::string& channel, const MemberOptions& options,
                 std::vector<Event>& followUps) override;
  int streamLeave(const std::string& channel) override;
  int joinTopic(const std::string& channel, const std::string& topic,
                const std::string& meta) override;
  int leaveTopic(const std::string& channel, const std::string& topic, std::string& meta) override;
  int publishTopic(const std::string& channel, const std::string& topic, int refusal,
                   const MessageCopy& message) override;
  int subscribeTopic(const std::string& channel, const std::string& topic,
                     const std::vector<std::string>& users,
                     TopicSubscribeOutcome& outcome) override;
  int unsubscribeTopic(const std::string& channel, const std::string& topic,
                       const std::vector<std::string>& users) override;
  int subscribedUsers(const std::string& channel, const std::string& topic,
                      std::vector<std::string>& users) override;
  void streamChannelReleased(const std::string& channel) override;

 private:
  // Runs an operation of the shared service for this client (args after the
  // user id); its answer's data goes to *data when given.
  int callService(const std::string& op, std::vector<std::string> arguments,
                  std::vector<Event>* followUps = nullptr, nlohmann::json* data = nullptr);
  // The same, with the requester's own events queued at once (before its result).
  int callWithOwnEvents(const std::string& op, std::vector<std::string> arguments,
                        nlohmann::json* data = nullptr);
  std::vector<std::string> subscribedNames() const;
  void postLinkChange(int previous, int current, int operation, const char* reason, bool resumed);

  void deliver(Event event) override;
  void linkLost() override;
  void restoreLink() override;
  void linkBack() override;
  const std::string& appId() const override { return appId_; }
  std::optional<uint64_t> session() const override;
  // Leaves the service now, or once the link is back; *cancelled gets the
  // answers of waiting acquisitions when it ran now.
  void logOutOfService(std::vector<Event>* cancelled);

  const uint64_t id_;
  RedisHub& hub_;
  const std::string appId_;
  const std::string userId_;
  EventDispatcher& events_;

  // Guards what follows; held for the whole of a request, so results come in request order.
  mutable std::recursive_mutex mutex_;
  bool loggedIn_ = false;
  bool connected_ = false;  // this client's own link (fault injection drops it)
  uint64_t connectionEpoch_ = 0;
  // Message channels and their flags, to restore after a lost link.
  std::map<std::string, std::string> subscriptions_;
  // Presence snapshots of those channels after a restore, for after the link-back event.
  std::vector<Event> restoredSnapshots_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
