// The clients of the process as the service sees them: who they are, whether
// they are logged in and connected, their fault-injection settings, and the
// dispatcher that carries events to them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/event_dispatcher.h"
#include "loopback_sdk/sdk_constants.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

struct ClientRecord {
  uint64_t id = 0;
  std::string appId;
  std::string userId;
  EventDispatcher* dispatcher = nullptr;
  bool loggedIn = false;
  bool connected = false;
  // Bumped on every login, logout and drop, so a late reconnection task can
  // tell that the connection it was meant for is gone.
  uint64_t connectionEpoch = 0;
};

class ClientRegistry {
 public:
  ClientRecord& add(uint64_t id, std::string appId, std::string userId,
                    EventDispatcher* dispatcher);
  void remove(uint64_t id);
  ClientRecord* find(uint64_t id);
  std::vector<uint64_t> idsOfUser(const std::string& userId) const;

  // 0 when the request may run; otherwise the code its result carries.
  int admit(uint64_t id, Need need);

  // The result of the client's own request: delivered while the client exists.
  void reply(uint64_t id, Event event);
  // A notification about others: delivered only while logged in and connected.
  void notify(uint64_t id, Event event);

 private:
  std::map<uint64_t, ClientRecord> clients_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
