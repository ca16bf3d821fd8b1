// The stand-in's IKivClient on the shared service in Redis: the same
// requests, results and events as the in-process client, with clients of
// other processes (and machines) in the same channels.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/redis/redis_hub.h"
#include "loopback_sdk/sdk_constants.h"
#include "loopback_sdk/sdk_history.h"
#include "loopback_sdk/sdk_lock.h"
#include "loopback_sdk/sdk_namespace.h"
#include "loopback_sdk/sdk_presence.h"
#include "loopback_sdk/sdk_storage.h"
#include "loopback_sdk/sdk_stream_channel.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class RedisClient final : public sdk::IKivClient, public Backend, private HubClient {
 public:
  // Null with the reason in *errorCode, as for the in-process client; an
  // address that does not parse gives kInvalidRedisAddress.
  static RedisClient* create(const sdk::KivConfig* config, const std::string& address,
                             int* errorCode);

  int release() override;
  int login(const char* token, uint64_t& requestId) override;
  int logout(uint64_t& requestId) override;
  sdk::IKivStorage* getStorage() override { return &storage_; }
  sdk::IKivLock* getLock() override { return &lock_; }
  sdk::IKivPresence* getPresence() override { return &presence_; }
  sdk::IKivHistory* getHistory() override { return &history_; }
  int renewToken(const char* token, uint64_t& requestId) override;
  int publish(const char* channelName, const char* message, size_t length,
              const sdk::PublishOptions& options, uint64_t& requestId) override;
  int subscribe(const char* channelName, const sdk::SubscribeOptions& options,
                uint64_t& requestId) override;
  int unsubscribe(const char* channelName, uint64_t& requestId) override;
  sdk::IStreamChannel* createStreamChannel(const char* channelName, int* errorCode) override;
  int setParameters(const char* parameters) override;

  int request(uint64_t requestId, Need need, const Body& body, const ResultEvent& result) override;
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
  // Runs an operation of the shared service for this client (args after the
  // user id); its answer's data goes to *data when given.
  int callService(const std::string& op, std::vector<std::string> arguments,
                  std::vector<Event>* followUps = nullptr, nlohmann::json* data = nullptr);
  // The same, with the requester's own events queued at once (before its result).
  int callWithOwnEvents(const std::string& op, std::vector<std::string> arguments,
                        nlohmann::json* data = nullptr);
  // Posts an event of this client's own (results answered later).
  void post(Event event) { dispatcher_.post(std::move(event)); }

 private:
  RedisClient(uint64_t id, RedisHub& hub, std::string appId, std::string userId,
              sdk::IKivEventHandler* handler);
  ~RedisClient() = default;

  std::vector<std::string> channelNames() const;
  void postLinkChange(int previous, int current, int operation, const char* reason, bool resumed);
  void reconnectAfter(uint32_t delayMs, uint64_t epoch);

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
  EventDispatcher dispatcher_;

  // Guards what follows; held for the whole of a request, so results come in request order.
  mutable std::recursive_mutex mutex_;
  bool loggedIn_ = false;
  bool connected_ = false;  // this client's own link (fault injection drops it)
  uint64_t connectionEpoch_ = 0;
  uint32_t failNextRequests_ = 0;
  int failErrorCode_ = 0;
  uint32_t reconnectDelayMs_ = kDefaultReconnectDelayMs;
  // Message channels and their flags, to restore after a lost link.
  std::map<std::string, std::string> subscriptions_;
  // Presence snapshots of those channels after a restore, for after the link-back event.
  std::vector<Event> restoredSnapshots_;

  FaceRequests requests_{*this};
  SdkPresence presence_{requests_};
  SdkStorage storage_{requests_};
  SdkLock lock_{requests_};
  SdkHistory history_{requests_};
  SdkStreamChannels streamChannels_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
