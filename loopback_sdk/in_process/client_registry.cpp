#include "loopback_sdk/in_process/client_registry.h"

#include <utility>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

ClientRecord& ClientRegistry::add(uint64_t id, std::string appId, std::string userId,
                                  EventDispatcher* dispatcher) {
  ClientRecord& record = clients_[id];
  record.id = id;
  record.appId = std::move(appId);
  record.userId = std::move(userId);
  record.dispatcher = dispatcher;
  return record;
}

void ClientRegistry::remove(uint64_t id) { clients_.erase(id); }

ClientRecord* ClientRegistry::find(uint64_t id) {
  auto it = clients_.find(id);
  return it == clients_.end() ? nullptr : &it->second;
}

std::vector<uint64_t> ClientRegistry::idsOfUser(const std::string& userId) const {
  std::vector<uint64_t> ids;
  for (const auto& [id, record] : clients_)
    if (record.userId == userId) ids.push_back(id);
  return ids;
}

int ClientRegistry::admit(uint64_t id, Need need) {
  ClientRecord* client = find(id);
  if (!client) return kClientReleased;
  if (need == Need::kConnection) {
    if (!client->loggedIn) return kNotLoggedIn;
    if (!client->connected) return kNotConnected;
  }
  return kOk;
}

void ClientRegistry::reply(uint64_t id, Event event) {
  if (ClientRecord* client = find(id)) client->dispatcher->post(std::move(event));
}

void ClientRegistry::notify(uint64_t id, Event event) {
  ClientRecord* client = find(id);
  if (client && client->loggedIn && client->connected) client->dispatcher->post(std::move(event));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
