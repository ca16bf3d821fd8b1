#include "loopback_sdk/redis/redis_backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

namespace {

std::string flagsOf(const MemberOptions& options) {
  std::string flags;
  if (options.withMessage) flags += 'm';
  if (options.withPresence) flags += 'p';
  if (options.withLock) flags += 'l';
  if (options.withMetadata) flags += 'd';
  if (options.beQuiet) flags += 'q';
  return flags;
}

// Milliseconds, strictly increasing in the process.
uint64_t localTimestamp() {
  static std::mutex mutex;
  static uint64_t last = 0;
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  std::lock_guard<std::mutex> lock(mutex);
  last = std::max<uint64_t>(last + 1, static_cast<uint64_t>(now));
  return last;
}

}  // namespace

int RedisBackend::make(const std::string& address, const BackendClient& client,
                       std::unique_ptr<Backend>& made) {
  RedisAddress parsed;
  std::string why;
  if (!parseRedisAddress(address, parsed, &why)) {
    // The code's reason names the accepted forms; this says which part is wrong.
    std::fprintf(stderr, "velmo_kiv_sdk: VELMO_KIV_LOOPBACK_REDIS=\"%s\": %s\n", address.c_str(),
                 why.c_str());
    return kInvalidRedisAddress;
  }
  made = std::make_unique<RedisBackend>(client, RedisHub::forAddress(parsed));
  return kOk;
}

RedisBackend::RedisBackend(const BackendClient& client, RedisHub& hub)
    : id_(client.id),
      hub_(hub),
      appId_(client.appId),
      userId_(client.userId),
      events_(client.events) {
  hub_.attach(id_, this);
}

RedisBackend::~RedisBackend() = default;

const std::string& RedisBackend::userId() const { return userId_; }

void RedisBackend::release() {
  {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // Leaves every channel, telling the others (once the link is back when
    // it is down).
    if (loggedIn_) logOutOfService(nullptr);
    loggedIn_ = false;
  }
  hub_.detach(id_);
}

int RedisBackend::callService(const std::string& op, std::vector<std::string> arguments,
                              std::vector<Event>* followUps, nlohmann::json* data) {
  std::vector<std::string> command{op, appId_, std::to_string(id_), userId_};
  command.insert(command.end(), arguments.begin(), arguments.end());
  ServiceAnswer answer;
  if (!hub_.call(command, answer)) return kNotConnected;
  if (followUps)
    for (Event& event : answer.followUps) followUps->push_back(std::move(event));
  if (data) *data = std::move(answer.data);
  return answer.code;
}

int RedisBackend::callWithOwnEvents(const std::string& op, std::vector<std::string> arguments,
                                    nlohmann::json* data) {
  std::vector<Event> own;
  const int code = callService(op, std::move(arguments), &own, data);
  for (Event& event : own) events_.post(std::move(event));
  return code;
}

void RedisBackend::logOutOfService(std::vector<Event>* cancelled) {
  ServiceAnswer answer;
  if (hub_.logOut({"logout", appId_, std::to_string(id_), userId_}, answer) && cancelled)
    for (Event& event : answer.followUps) cancelled->push_back(std::move(event));
}

int RedisBackend::request(uint64_t requestId, Need need, const Body& body,
                          const ResultEvent& result) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  int code = kOk;
  if (need == Need::kConnection && !loggedIn_) {
    code = kNotLoggedIn;
  } else if (need == Need::kConnection && (!connected_ || !hub_.up())) {
    code = kNotConnected;
  }
  std::vector<Event> followUps;
  if (code == kOk) {
    // A body that fails unexpectedly still answers, so no request is left waiting.
    try {
      code = body(followUps);
    } catch (...) {
      code = kFailure;
      followUps.clear();
    }
  }
  if (code != kAnswerLater) events_.post(result(requestId, code));
  for (Event& event : followUps) events_.post(std::move(event));
  return code;
}

std::vector<std::string> RedisBackend::subscribedNames() const {
  std::vector<std::string> names;
  for (const auto& entry : subscriptions_) names.push_back(entry.first);
  return names;
}

std::vector<std::string> RedisBackend::channelNames() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return subscribedNames();
}

uint64_t RedisBackend::timestamp() { return localTimestamp(); }

void RedisBackend::postLinkChange(int previous, int current, int operation, const char* reason,
                                  bool resumed) {
  LinkChange change;
  change.previous = previous;
  change.current = current;
  change.operation = operation;
  change.reason = reason;
  change.affectedChannels = subscribedNames();
  change.resumed = resumed;
  events_.post(linkStateEvent(std::move(change), localTimestamp()));
}

int RedisBackend::login() {
  if (loggedIn_) return kOk;
  if (!hub_.ensureUp()) return kServiceUnreachable;
  if (const int code = callService("login", {})) return code;
  loggedIn_ = connected_ = true;
  ++connectionEpoch_;
  postLinkChange(kLinkIdle, kLinkConnected, kLinkOpLogin, "login", false);
  events_.post(connectionStateEvent("", kConnectionConnected, kReasonLoginSuccess));
  return kOk;
}

int RedisBackend::logout() {
  if (!loggedIn_) return kNotLoggedIn;
  // Leaving the channels needs Redis (put off while the link is down);
  // logging out does not. Waiting lock acquisitions are answered
  // (cancelled) first, as in-process.
  const int previous = connected_ && hub_.up() ? kLinkConnected : kLinkDisconnected;
  std::vector<Event> cancelled;
  logOutOfService(&cancelled);
  for (Event& event : cancelled) events_.post(std::move(event));
  loggedIn_ = connected_ = false;
  ++connectionEpoch_;
  subscriptions_.clear();  // left: a logout names no channels
  postLinkChange(previous, kLinkIdle, kLinkOpLogout, "logout", false);
  events_.post(connectionStateEvent("", kConnectionDisconnected, kReasonLogout));
  return kOk;
}

int RedisBackend::setTtlUnit(uint32_t milliseconds) {
  // The ttl unit is the application's, in every process, so it lives in Redis.
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!hub_.ensureUp()) return kServiceUnreachable;
  return callService("setTtlUnit", {std::to_string(milliseconds)});
}

int RedisBackend::dropLink(uint64_t& session) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!loggedIn_ || !connected_) return kNotLoggedIn;
  connected_ = false;
  postLinkChange(kLinkConnected, kLinkDisconnected, kLinkOpConnectionDropped, "connection dropped",
                 false);
  events_.post(connectionStateEvent("", kConnectionReconnecting, kReasonInterrupted));
  session = ++connectionEpoch_;
  return kOk;
}

void RedisBackend::relinkAfterDrop(uint64_t session) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (connectionEpoch_ != session || !loggedIn_) return;
  connected_ = true;
  postLinkChange(kLinkDisconnected, kLinkConnected, kLinkOpReconnected, "reconnected", true);
  events_.post(connectionStateEvent("", kConnectionConnected, kReasonReconnected));
}

int RedisBackend::publish(const ChannelKey& channel, const MessageCopy& message,
                          bool storeInHistory) {
  return callService(
      "publish", {std::to_string(channel.type), channel.name, std::to_string(message.messageType),
                  message.customType, message.payload, storeInHistory ? "1" : "0"});
}

int RedisBackend::subscribe(const std::string& channel, const MemberOptions& options,
                            std::vector<Event>& followUps) {
  const std::string flags = flagsOf(options);
  const int code =
      callService("subscribe", {std::to_string(kChannelMessage), channel, flags}, &followUps);
  if (code == kOk) subscriptions_[channel] = flags;
  return code;
}

int RedisBackend::unsubscribe(const std::string& channel) {
  const int code = callService("unsubscribe", {std::to_string(kChannelMessage), channel});
  if (code == kOk) subscriptions_.erase(channel);
  return code;
}

void RedisBackend::deliver(Event event) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (loggedIn_ && connected_) events_.post(std::move(event));
}

void RedisBackend::linkLost() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!loggedIn_) return;
  postLinkChange(kLinkConnected, kLinkDisconnected, kLinkOpConnectionDropped,
                 "connection to the shared service lost", false);
  events_.post(connectionStateEvent("", kConnectionReconnecting, kReasonInterrupted));
}

void RedisBackend::restoreLink() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!loggedIn_) return;
  // The server may have restarted with nothing: register again and re-enter
  // every channel. Messages sent while the link was down are not replayed.
  std::vector<std::string> arguments;
  for (const auto& [name, flags] : subscriptions_) {
    arguments.push_back(std::to_string(kChannelMessage));
    arguments.push_back(name);
    arguments.push_back(flags);
  }
  restoredSnapshots_.clear();
  callService("restore", arguments, &restoredSnapshots_);
}

void RedisBackend::linkBack() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!loggedIn_) return;
  postLinkChange(kLinkDisconnected, kLinkConnected, kLinkOpReconnected, "reconnected", false);
  events_.post(connectionStateEvent("", kConnectionConnected, kReasonReconnected));
  // Who is present now: users may have left (or their processes died)
  // while the link was down, unheard.
  for (Event& event : restoredSnapshots_) events_.post(std::move(event));
  restoredSnapshots_.clear();
}

std::optional<uint64_t> RedisBackend::session() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!loggedIn_) return std::nullopt;
  return connectionEpoch_;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
