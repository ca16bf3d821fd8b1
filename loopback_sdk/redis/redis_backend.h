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

  LOOPBACK_BACKEND_OPERATIONS(override)

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
