// The stand-in's IKivClient on the shared service in Redis: the same
// requests, results and events as the in-process client, with clients of
// other processes (and machines) in the same channels.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/redis/redis_history.h"
#include "loopback_sdk/redis/redis_hub.h"
#include "loopback_sdk/redis/redis_lock.h"
#include "loopback_sdk/redis/redis_presence.h"
#include "loopback_sdk/redis/redis_storage.h"
#include "loopback_sdk/redis/redis_stream_channel.h"
#include "loopback_sdk/sdk_constants.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class RedisClient final : public sdk::IKivClient, private HubClient {
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

  // For the client's sub-interfaces (storage, locks, presence, history,
  // stream channels): the shape of every request, whose body usually runs
  // one operation of the shared service.
  enum class Need { kNothing, kConnection };
  using ResultEvent = std::function<Event(uint64_t id, int code)>;
  using Body = std::function<int(std::vector<Event>& followUps)>;
  // Id, admission (injected failure, login, connection), body, then the
  // result and the follow-ups, queued in request order.
  int request(uint64_t& requestId, Need need, const Body& body, const ResultEvent& result);
  // Runs an operation of the shared service for this client (args after the
  // user id); its answer's data goes to *data when given.
  int callService(const std::string& op, std::vector<std::string> arguments,
                  std::vector<Event>* followUps = nullptr, nlohmann::json* data = nullptr);
  // Posts an event of this client's own (results answered later).
  void post(Event event) { dispatcher_.post(std::move(event)); }
  uint64_t id() const { return id_; }
  const std::string& userId() const { return userId_; }

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

  RedisPresence presence_{*this};
  RedisStorage storage_{*this};
  RedisLock lock_{*this};
  RedisHistory history_{*this};
  RedisStreamChannels streamChannels_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
