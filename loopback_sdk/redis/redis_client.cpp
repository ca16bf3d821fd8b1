#include "loopback_sdk/redis/redis_client.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>

#include "loopback_sdk/client_parameters.h"
#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/ids.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/scheduler.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

// Clients a delayed task may still reach, by id.
std::mutex liveMutex;
std::map<uint64_t, RedisClient*> liveClients;

std::string flagsOf(const sdk::SubscribeOptions& options) {
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

// The clients' timer, its thread running while a client lives. Never
// destroyed, like the hubs: a host may still hold clients at exit.
Scheduler& clientTimer() {
  static auto* timer = new Scheduler();
  return *timer;
}

void clientTimerUsers(int change) {
  static std::mutex mutex;
  static uint64_t users = 0;
  std::lock_guard<std::mutex> lock(mutex);
  if (change > 0 && ++users == 1) clientTimer().start();
  if (change < 0 && users > 0 && --users == 0) clientTimer().stop();
}

}  // namespace

RedisClient* RedisClient::create(const sdk::KivConfig* config, const std::string& address,
                                 int* errorCode) {
  auto fail = [errorCode](int code) -> RedisClient* {
    if (errorCode) *errorCode = code;
    return nullptr;
  };
  if (!config) return fail(kInvalidArgument);
  if (!config->appId || !*config->appId) return fail(kInvalidAppId);
  if (!config->userId || !*config->userId) return fail(kInvalidUserId);
  RedisAddress parsed;
  std::string why;
  if (!parseRedisAddress(address, parsed, &why)) {
    // The code's reason names the accepted forms; this says which part is wrong.
    std::fprintf(stderr, "velmo_kiv_sdk: VELMO_KIV_LOOPBACK_REDIS=\"%s\": %s\n", address.c_str(),
                 why.c_str());
    return fail(kInvalidRedisAddress);
  }
  try {
    auto* client = new RedisClient(nextClientId(), RedisHub::forAddress(parsed), config->appId,
                                   config->userId, config->eventHandler);
    // Keeps the timer thread (reconnection after an injected drop) running.
    clientTimerUsers(+1);
    client->hub_.attach(client->id_, client);
    {
      std::lock_guard<std::mutex> lock(liveMutex);
      liveClients[client->id_] = client;
    }
    if (errorCode) *errorCode = kOk;
    return client;
  } catch (...) {
    return fail(kFailure);
  }
}

RedisClient::RedisClient(uint64_t id, RedisHub& hub, std::string appId, std::string userId,
                         IKivEventHandler* handler)
    : id_(id),
      hub_(hub),
      appId_(std::move(appId)),
      userId_(std::move(userId)),
      dispatcher_(handler),
      failErrorCode_(kInjectedFailure) {}

int RedisClient::release() {
  // Its stream channels stay usable, answering kClientReleased from now on.
  streamChannels_.orphanAll();
  {
    std::lock_guard<std::mutex> lock(liveMutex);
    liveClients.erase(id_);
  }
  {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // Leaves every channel, telling the others (once the link is back when
    // it is down).
    if (loggedIn_) logOutOfService(nullptr);
    loggedIn_ = false;
  }
  hub_.detach(id_);
  if (dispatcher_.onOwnThread()) {
    dispatcher_.stopFromOwnThread([this] { delete this; });
  } else {
    dispatcher_.stop();
    delete this;
  }
  clientTimerUsers(-1);
  return kOk;
}

int RedisClient::callService(const std::string& op, std::vector<std::string> arguments,
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

void RedisClient::logOutOfService(std::vector<Event>* cancelled) {
  ServiceAnswer answer;
  if (hub_.logOut({"logout", appId_, std::to_string(id_), userId_}, answer) && cancelled)
    for (Event& event : answer.followUps) cancelled->push_back(std::move(event));
}

int RedisClient::request(uint64_t requestId, Need need, const Body& body,
                         const ResultEvent& result) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  int code = kOk;
  if (failNextRequests_ > 0) {
    --failNextRequests_;
    code = failErrorCode_;
  } else if (need == Need::kConnection && !loggedIn_) {
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
  if (code != kAnswerLater) dispatcher_.post(result(requestId, code));
  for (Event& event : followUps) dispatcher_.post(std::move(event));
  return code;
}

int RedisClient::callWithOwnEvents(const std::string& op, std::vector<std::string> arguments,
                                   nlohmann::json* data) {
  std::vector<Event> own;
  const int code = callService(op, std::move(arguments), &own, data);
  for (Event& event : own) dispatcher_.post(std::move(event));
  return code;
}

std::vector<std::string> RedisClient::channelNames() const {
  std::vector<std::string> names;
  for (const auto& entry : subscriptions_) names.push_back(entry.first);
  return names;
}

void RedisClient::postLinkChange(int previous, int current, int operation, const char* reason,
                                 bool resumed) {
  LinkChange change;
  change.previous = previous;
  change.current = current;
  change.operation = operation;
  change.reason = reason;
  change.affectedChannels = channelNames();
  change.resumed = resumed;
  dispatcher_.post(linkStateEvent(std::move(change), localTimestamp()));
}

int RedisClient::login(const char* token, uint64_t& requestId) {
  return requests_.run(
      requestId, Need::kNothing,
      [&](std::vector<Event>&) -> int {
        if (!token || !*token) return kInvalidToken;
        if (loggedIn_) return kOk;
        if (!hub_.ensureUp()) return kServiceUnreachable;
        if (const int code = callService("login", {})) return code;
        loggedIn_ = connected_ = true;
        ++connectionEpoch_;
        postLinkChange(kLinkIdle, kLinkConnected, kLinkOpLogin, "login", false);
        dispatcher_.post(connectionStateEvent("", kConnectionConnected, kReasonLoginSuccess));
        return kOk;
      },
      plainResult(&IKivEventHandler::onLoginResult));
}

int RedisClient::logout(uint64_t& requestId) {
  return requests_.run(
      requestId, Need::kNothing,
      [&](std::vector<Event>&) -> int {
        if (!loggedIn_) return kNotLoggedIn;
        // Leaving the channels needs Redis (put off while the link is down);
        // logging out does not. Waiting lock acquisitions are answered
        // (cancelled) first, as in-process.
        const int previous = connected_ && hub_.up() ? kLinkConnected : kLinkDisconnected;
        std::vector<Event> cancelled;
        logOutOfService(&cancelled);
        for (Event& event : cancelled) dispatcher_.post(std::move(event));
        loggedIn_ = connected_ = false;
        ++connectionEpoch_;
        subscriptions_.clear();  // left: a logout names no channels
        postLinkChange(previous, kLinkIdle, kLinkOpLogout, "logout", false);
        dispatcher_.post(connectionStateEvent("", kConnectionDisconnected, kReasonLogout));
        return kOk;
      },
      plainResult(&IKivEventHandler::onLogoutResult));
}

int RedisClient::renewToken(const char* token, uint64_t& requestId) {
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int { return token && *token ? kOk : kInvalidToken; },
      renewTokenResult());
}

int RedisClient::publish(const char* channelName, const char* message, size_t length,
                         const sdk::PublishOptions& options, uint64_t& requestId) {
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkPublish(channelName, message, length, options.channelType))
          return code;
        return callService(
            "publish",
            {std::to_string(options.channelType), channelName, std::to_string(options.messageType),
             text(options.customType), length > 0 ? std::string(message, length) : std::string(),
             options.storeInHistory ? "1" : "0"});
      },
      plainResult(&IKivEventHandler::onPublishResult));
}

int RedisClient::subscribe(const char* channelName, const sdk::SubscribeOptions& options,
                           uint64_t& requestId) {
  const std::string name = text(channelName);
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>& followUps) -> int {
        if (name.empty()) return kInvalidChannelName;
        const std::string flags = flagsOf(options);
        const int code =
            callService("subscribe", {std::to_string(kChannelMessage), name, flags}, &followUps);
        if (code == kOk) subscriptions_[name] = flags;
        return code;
      },
      namedResult(&IKivEventHandler::onSubscribeResult, name));
}

int RedisClient::unsubscribe(const char* channelName, uint64_t& requestId) {
  const std::string name = text(channelName);
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (name.empty()) return kInvalidChannelName;
        const int code = callService("unsubscribe", {std::to_string(kChannelMessage), name});
        if (code == kOk) subscriptions_.erase(name);
        return code;
      },
      namedResult(&IKivEventHandler::onUnsubscribeResult, name));
}

sdk::IStreamChannel* RedisClient::createStreamChannel(const char* channelName, int* errorCode) {
  return streamChannels_.create(requests_, channelName, dispatcher_.handler(), errorCode);
}

int RedisClient::setParameters(const char* parameters) {
  ClientParameters parsed;
  if (const int code = parseClientParameters(parameters, parsed); code != kOk) return code;
  try {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (parsed.failErrorCode) failErrorCode_ = *parsed.failErrorCode;
    if (parsed.failNextRequests) failNextRequests_ = *parsed.failNextRequests;
    if (parsed.reconnectDelayMs) reconnectDelayMs_ = *parsed.reconnectDelayMs;
    // The ttl unit is the application's, in every process, so it lives in Redis.
    if (parsed.ttlUnitMs) {
      if (!hub_.ensureUp()) return kServiceUnreachable;
      if (const int code = callService("setTtlUnit", {std::to_string(*parsed.ttlUnitMs)}))
        return code;
    }
    if (parsed.tokenWillExpire) {
      dispatcher_.post([](IKivEventHandler& h) { h.onTokenPrivilegeWillExpire(""); });
      const std::vector<std::string> channels = channelNames();
      const uint64_t timestamp = localTimestamp();
      dispatcher_.post(tokenWillExpireEvent(channels, timestamp));
    }
    if (parsed.dropConnection) {
      if (!loggedIn_ || !connected_) return kNotLoggedIn;
      connected_ = false;
      postLinkChange(kLinkConnected, kLinkDisconnected, kLinkOpConnectionDropped,
                     "connection dropped", false);
      dispatcher_.post(connectionStateEvent("", kConnectionReconnecting, kReasonInterrupted));
      reconnectAfter(reconnectDelayMs_, ++connectionEpoch_);
    }
    return kOk;
  } catch (...) {
    return kFailure;
  }
}

void RedisClient::reconnectAfter(uint32_t delayMs, uint64_t epoch) {
  const uint64_t id = id_;
  clientTimer().after(std::chrono::milliseconds(delayMs), [id, epoch] {
    std::lock_guard<std::mutex> live(liveMutex);
    auto it = liveClients.find(id);
    if (it == liveClients.end()) return;
    RedisClient& client = *it->second;
    std::lock_guard<std::recursive_mutex> lock(client.mutex_);
    if (client.connectionEpoch_ != epoch || !client.loggedIn_) return;
    client.connected_ = true;
    client.postLinkChange(kLinkDisconnected, kLinkConnected, kLinkOpReconnected, "reconnected",
                          true);
    client.dispatcher_.post(connectionStateEvent("", kConnectionConnected, kReasonReconnected));
  });
}

void RedisClient::deliver(Event event) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (loggedIn_ && connected_) dispatcher_.post(std::move(event));
}

void RedisClient::linkLost() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!loggedIn_) return;
  postLinkChange(kLinkConnected, kLinkDisconnected, kLinkOpConnectionDropped,
                 "connection to the shared service lost", false);
  dispatcher_.post(connectionStateEvent("", kConnectionReconnecting, kReasonInterrupted));
}

void RedisClient::restoreLink() {
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

void RedisClient::linkBack() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!loggedIn_) return;
  postLinkChange(kLinkDisconnected, kLinkConnected, kLinkOpReconnected, "reconnected", false);
  dispatcher_.post(connectionStateEvent("", kConnectionConnected, kReasonReconnected));
  // Who is present now: users may have left (or their processes died)
  // while the link was down, unheard.
  for (Event& event : restoredSnapshots_) dispatcher_.post(std::move(event));
  restoredSnapshots_.clear();
}

std::optional<uint64_t> RedisClient::session() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!loggedIn_) return std::nullopt;
  return connectionEpoch_;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
