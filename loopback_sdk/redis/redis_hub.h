// The process's link to the shared service on Redis: one connection for the
// service's operations, one for this process's inbox, a reader thread that
// hands inbox events to the local clients, and reconnection with back-off
// when Redis goes away.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/redis/redis_connection.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// What the hub needs from a local client.
class HubClient {
 public:
  // An event from another client (delivered only while logged in and connected).
  virtual void deliver(Event event) = 0;
  // The link to Redis went down; it came back (restore the client's state in
  // the service), then every client was restored (requests may run again).
  virtual void linkLost() = 0;
  virtual void restoreLink() = 0;
  virtual void linkBack() = 0;
  virtual const std::string& appId() const = 0;
  // While logged in: the session's number, which changes with every login,
  // logout and dropped link; nothing otherwise.
  virtual std::optional<uint64_t> session() const = 0;

 protected:
  ~HubClient() = default;
};

struct ServiceAnswer {
  int code = 0;
  std::vector<Event> followUps;
  nlohmann::json data;  // what a getter returns; false for the others
};

class RedisHub {
 public:
  // One hub per address for the whole process; never freed (its thread and
  // connections are, once no client is left).
  static RedisHub& forAddress(const RedisAddress& address);

  const std::string& processId() const { return processId_; }
  void attach(uint64_t clientId, HubClient* client);
  // Stops the reader and closes the connections with the last client.
  void detach(uint64_t clientId);

  bool up() const { return up_; }
  // Connects when down; false when Redis cannot be reached now.
  bool ensureUp();
  // Runs one service operation (op, app, client id, user id, arguments...).
  // False when Redis could not be reached; the link is then treated as lost.
  bool call(const std::vector<std::string>& arguments, ServiceAnswer& answer);
  // Runs a logout (or the logout of a released client) now when the link is
  // up, else once it is back, before requests may run again; false when it
  // was put off (nobody hears its answer then).
  bool logOut(const std::vector<std::string>& arguments, ServiceAnswer& answer);

 private:
  explicit RedisHub(const RedisAddress& address);
  bool connectLocked();
  bool callLocked(const std::vector<std::string>& arguments, ServiceAnswer& answer);
  void runPutOffLogoutsLocked();
  void markDown();
  void readLoop();
  void recover();
  // Lets the service expire what has a time to live, for each application here.
  void sweep();
  void dispatch(const std::string& bytes);
  void stopReader();

  const RedisAddress address_;
  const std::string processId_;
  // open_: the connections work; up_: open and every client restored, so
  // requests may run.
  std::atomic<bool> open_{false};
  std::atomic<bool> up_{false};
  std::atomic<bool> stopping_{false};

  std::mutex commandMutex_;  // guards command_, subscriber_ while closed, putOffLogouts_, reader_
  RedisConnection command_;
  RedisConnection subscriber_;
  std::vector<std::vector<std::string>> putOffLogouts_;

  std::mutex clientsMutex_;  // taken before commandMutex_, never after
  std::map<uint64_t, HubClient*> clients_;
  std::thread reader_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
