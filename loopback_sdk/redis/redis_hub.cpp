#include "loopback_sdk/redis/redis_hub.h"

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/redis/inbox_events.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

extern const char* const kServiceScript;  // the joined lua/ files, compiled in

namespace {

// The service as a Redis function library, named after its own text so that
// processes built from different versions each call their own.
struct ServiceLibrary {
  std::string function;
  std::string code;
};

const ServiceLibrary& serviceLibrary() {
  static const ServiceLibrary library = [] {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (const char* c = kServiceScript; *c; ++c)
      hash = (hash ^ static_cast<unsigned char>(*c)) * 1099511628211ull;
    char name[40];
    std::snprintf(name, sizeof name, "velmo_kiv_%016llx", static_cast<unsigned long long>(hash));
    return ServiceLibrary{name, std::string("#!lua name=") + name + "\n" + kServiceScript +
                                    "\nredis.register_function('" + name + "', serve)\n"};
  }();
  return library;
}

bool loadService(RedisConnection& connection) {
  RedisValue reply;
  return connection.command({"FUNCTION", "LOAD", "REPLACE", serviceLibrary().code}, reply) &&
         !reply.isError();
}

constexpr std::chrono::milliseconds kConnectTimeout{1000};
constexpr std::chrono::milliseconds kReadSlice{50};
constexpr std::chrono::milliseconds kFirstRetry{100};
constexpr std::chrono::milliseconds kLongestRetry{2000};
constexpr std::chrono::milliseconds kSweepEvery{100};

std::string newProcessId() {
  std::random_device random;
  char id[40];
  std::snprintf(id, sizeof id, "%08x%08x-%d", random(), random(), static_cast<int>(getpid()));
  return id;
}

std::string inboxPattern(const std::string& processId) { return "kiv:*:inbox:" + processId; }

}  // namespace

RedisHub& RedisHub::forAddress(const RedisAddress& address) {
  static std::mutex mutex;
  // Never destroyed: a hub may outlive static destruction in a host that
  // still holds clients at exit.
  static auto* hubs = new std::map<std::string, RedisHub*>();
  const std::string key =
      address.host + ":" + std::to_string(address.port) + "/" + std::to_string(address.database);
  std::lock_guard<std::mutex> lock(mutex);
  RedisHub*& hub = (*hubs)[key];
  if (!hub) hub = new RedisHub(address);
  return *hub;
}

RedisHub::RedisHub(const RedisAddress& address) : address_(address), processId_(newProcessId()) {}

void RedisHub::attach(uint64_t clientId, HubClient* client) {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  clients_[clientId] = client;
}

void RedisHub::detach(uint64_t clientId) {
  bool last = false;
  {
    std::lock_guard<std::mutex> lock(clientsMutex_);
    clients_.erase(clientId);
    last = clients_.empty();
  }
  if (last) stopReader();
}

void RedisHub::stopReader() {
  stopping_ = true;
  std::thread reader;
  {
    std::lock_guard<std::mutex> lock(commandMutex_);
    reader.swap(reader_);
  }
  if (reader.joinable()) {
    if (reader.get_id() == std::this_thread::get_id())
      reader.detach();
    else
      reader.join();
  }
  std::lock_guard<std::mutex> lock(commandMutex_);
  open_ = up_ = false;
  command_.close();
  subscriber_.close();
  stopping_ = false;
}

bool RedisHub::connectLocked() {
  if (!command_.connect(address_, kConnectTimeout) ||
      !subscriber_.connect(address_, kConnectTimeout))
    return false;
  if (!loadService(command_)) return false;
  RedisValue reply;
  // Subscribed before any request runs, so no event for this process is missed.
  if (!subscriber_.send({"PSUBSCRIBE", inboxPattern(processId_)})) return false;
  bool got = false;
  if (!subscriber_.receive(kConnectTimeout, reply, got) || !got) return false;
  return true;
}

bool RedisHub::ensureUp() {
  std::lock_guard<std::mutex> lock(commandMutex_);
  if (up_) return true;
  // A running reader is bringing the link back and restores every client.
  if (reader_.joinable()) return false;
  if (!connectLocked()) {
    command_.close();
    subscriber_.close();
    return false;
  }
  open_ = up_ = true;
  reader_ = std::thread([this] { readLoop(); });
  return true;
}

void RedisHub::markDown() {
  // The reader notices the shut socket and runs the recovery.
  if (open_ && subscriber_.connected()) ::shutdown(subscriber_.fd(), SHUT_RDWR);
}

bool RedisHub::call(const std::vector<std::string>& arguments, ServiceAnswer& answer) {
  std::lock_guard<std::mutex> lock(commandMutex_);
  return callLocked(arguments, answer);
}

bool RedisHub::logOut(const std::vector<std::string>& arguments, ServiceAnswer& answer) {
  std::lock_guard<std::mutex> lock(commandMutex_);
  if (up_ && callLocked(arguments, answer)) return true;
  // Otherwise the user would stay listed for as long as this process lives.
  putOffLogouts_.push_back(arguments);
  return false;
}

void RedisHub::runPutOffLogoutsLocked() {
  while (!putOffLogouts_.empty()) {
    ServiceAnswer ignored;
    if (!callLocked(putOffLogouts_.front(), ignored)) return;
    putOffLogouts_.erase(putOffLogouts_.begin());
  }
}

bool RedisHub::callLocked(const std::vector<std::string>& arguments, ServiceAnswer& answer) {
  if (!open_) return false;
  std::vector<std::string> command{"FCALL", serviceLibrary().function, "0"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  command.insert(command.begin() + 5, processId_);  // after op and app
  RedisValue reply;
  bool sent = command_.command(command, reply);
  if (sent && reply.isError() && reply.text.find("Function not found") != std::string::npos) {
    // A restarted server (or a FUNCTION FLUSH) forgot the library.
    sent = loadService(command_) && command_.command(command, reply);
  }
  if (!sent) {
    markDown();
    return false;
  }
  if (reply.kind != RedisValue::Kind::kString) {
    answer.code = kFailure;
    return true;
  }
  try {
    const nlohmann::json parsed = nlohmann::json::from_msgpack(reply.text, true, false);
    answer.code = parsed.at(0).get<int>();
    for (const nlohmann::json& event : parsed.at(1))
      if (auto made = eventFromService(event)) answer.followUps.push_back(std::move(*made));
    if (parsed.size() > 2) answer.data = parsed[2];
  } catch (...) {
    answer.code = kFailure;
  }
  return true;
}

void RedisHub::dispatch(const std::string& bytes) {
  InboxMessage message;
  try {
    if (!readInboxMessage(bytes, message)) return;
  } catch (...) {
    return;
  }
  std::optional<Event> event = eventFromService(message.event);
  if (!event) return;
  std::lock_guard<std::mutex> lock(clientsMutex_);
  for (uint64_t id : message.recipients) {
    auto it = clients_.find(id);
    if (it != clients_.end()) it->second->deliver(*event);
  }
}

void RedisHub::sweep() {
  // Per application, the logged-in clients and their sessions.
  std::map<std::string, std::map<uint64_t, uint64_t>> sessions;
  {
    std::lock_guard<std::mutex> lock(clientsMutex_);
    for (auto& [id, client] : clients_) {
      auto& ofApp = sessions[client->appId()];
      if (const std::optional<uint64_t> session = client->session()) ofApp[id] = *session;
    }
  }
  bool swept = false;
  for (const auto& [app, ofApp] : sessions) {
    std::vector<std::string> arguments{"sweep", app, "0", ""};
    for (const auto& entry : ofApp) arguments.push_back(std::to_string(entry.first));
    ServiceAnswer answer;
    if (!call(arguments, answer) || !answer.data.is_array()) continue;
    std::lock_guard<std::mutex> lock(clientsMutex_);
    for (const nlohmann::json& missing : answer.data) {
      if (!missing.is_string()) continue;
      const uint64_t id = std::strtoull(missing.get<std::string>().c_str(), nullptr, 10);
      auto client = clients_.find(id);
      auto session = ofApp.find(id);
      // Still in the session the service forgot (not one that began since).
      if (client != clients_.end() && session != ofApp.end() &&
          client->second->session() == session->second)
        swept = true;
    }
  }
  // Another process took this one for dead (paused longer than its liveness
  // lasts) and logged its clients out: handled as a lost link, which
  // registers every client again and re-enters its channels.
  if (swept) {
    std::lock_guard<std::mutex> lock(commandMutex_);
    markDown();
  }
}

void RedisHub::readLoop() {
  auto lastSweep = std::chrono::steady_clock::now();
  while (!stopping_) {
    if (!open_) {
      recover();
      continue;
    }
    if (std::chrono::steady_clock::now() - lastSweep >= kSweepEvery) {
      sweep();
      lastSweep = std::chrono::steady_clock::now();
    }
    RedisValue reply;
    bool got = false;
    if (!subscriber_.receive(kReadSlice, reply, got)) {
      {
        std::lock_guard<std::mutex> lock(commandMutex_);
        open_ = up_ = false;
        command_.close();
        subscriber_.close();
      }
      std::lock_guard<std::mutex> lock(clientsMutex_);
      for (auto& entry : clients_) entry.second->linkLost();
      continue;
    }
    // A pattern message: pmessage, pattern, channel, payload.
    if (got && reply.kind == RedisValue::Kind::kArray && reply.items.size() == 4 &&
        reply.items[0].text == "pmessage")
      dispatch(reply.items[3].text);
  }
}

void RedisHub::recover() {
  std::chrono::milliseconds wait = kFirstRetry;
  while (!stopping_) {
    std::this_thread::sleep_for(wait);
    if (stopping_) return;
    {
      std::lock_guard<std::mutex> lock(commandMutex_);
      if (connectLocked()) {
        open_ = true;
        break;
      }
      command_.close();
      subscriber_.close();
    }
    wait = std::min(wait * 2, kLongestRetry);
  }
  if (stopping_) return;
  // Every client is back in the service before any of them hears of it, so
  // no request runs against a half-restored service. Logouts put off while
  // the link was down run first (so the snapshots a restore answers do not
  // list their users), and again for those put off meanwhile.
  std::lock_guard<std::mutex> lock(clientsMutex_);
  {
    std::lock_guard<std::mutex> command(commandMutex_);
    runPutOffLogoutsLocked();
  }
  for (auto& entry : clients_) entry.second->restoreLink();
  {
    std::lock_guard<std::mutex> command(commandMutex_);
    runPutOffLogoutsLocked();
    up_ = open_.load();
  }
  for (auto& entry : clients_) entry.second->linkBack();
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
