#include "loopback_sdk/sdk_client.h"

#include <chrono>
#include <new>
#include <utility>

#include "loopback_sdk/client_parameters.h"
#include "loopback_sdk/ids.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/scheduler.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

// The clients' timer (reconnection after an injected drop): it exists, with
// its thread, while a client lives, and goes with the last one, so nothing of
// it outlives an unloaded library. Reconnections still pending then are for
// released clients, which they would skip anyway.
std::mutex g_timerMutex;
Scheduler* g_timer = nullptr;
uint64_t g_timerUsers = 0;

void clientTimerUsers(int change) {
  Scheduler* finished = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_timerMutex);
    if (change > 0 && ++g_timerUsers == 1) {
      g_timer = new Scheduler();
      g_timer->start();
    }
    if (change < 0 && g_timerUsers > 0 && --g_timerUsers == 0) std::swap(finished, g_timer);
  }
  // Joined outside the lock: a task on its thread may be scheduling another.
  delete finished;
}

void clientTimerAfter(std::chrono::milliseconds delay, Scheduler::Task task) {
  std::lock_guard<std::mutex> lock(g_timerMutex);
  if (g_timer) g_timer->after(delay, std::move(task));
}

}  // namespace

SdkClient* SdkClient::create(const sdk::KivConfig* config, const BackendMaker& makeBackend,
                             int* errorCode) {
  SdkClient* client = nullptr;
  auto answer = [errorCode, &client](int code) -> SdkClient* {
    if (errorCode) *errorCode = code;
    if (code == kOk) return client;
    if (client) {
      client->dispatcher_.stop();
      delete client;
    }
    return nullptr;
  };
  if (!config) return answer(kInvalidArgument);
  if (!config->appId || !*config->appId) return answer(kInvalidAppId);
  if (!config->userId || !*config->userId) return answer(kInvalidUserId);
  try {
    client = new SdkClient(config->eventHandler);
    const BackendClient who{nextClientId(), config->appId, config->userId, client->dispatcher_};
    if (const int code = makeBackend(who, client->backend_)) return answer(code);
    client->parts_ = std::make_unique<Parts>(*client->backend_, client->dispatcher_);
    client->reachable_->backend = client->backend_.get();
    clientTimerUsers(+1);
    return answer(kOk);
  } catch (...) {
    return answer(kFailure);
  }
}

SdkClient::~SdkClient() {
  // Released from inside the result of a request that is still returning on
  // another thread: that request lets go of the client first.
  if (parts_) parts_->requests.drain();
}

int SdkClient::release() {
  // Its stream channels stay usable, answering kClientReleased from now on.
  parts_->streamChannels.orphanAll();
  {
    std::lock_guard<std::mutex> lock(reachable_->mutex);
    reachable_->backend = nullptr;
  }
  try {
    backend_->release();
  } catch (...) {
    // The client goes all the same; the service forgets it in time.
  }
  if (dispatcher_.onOwnThread()) {
    // Released from inside its own callback: the thread cannot join itself, so
    // it frees the client once that callback returns.
    dispatcher_.stopFromOwnThread([this] { delete this; });
  } else {
    dispatcher_.stop();
    delete this;
  }
  clientTimerUsers(-1);
  return kOk;
}

int SdkClient::login(const char* token, uint64_t& requestId) {
  return parts_->requests.run(
      requestId, Need::kNothing,
      [&](std::vector<Event>&) -> int {
        if (!token || !*token) return kInvalidToken;
        return backend_->login();
      },
      plainResult(&IKivEventHandler::onLoginResult));
}

int SdkClient::logout(uint64_t& requestId) {
  return parts_->requests.run(
      requestId, Need::kNothing, [&](std::vector<Event>&) -> int { return backend_->logout(); },
      plainResult(&IKivEventHandler::onLogoutResult));
}

int SdkClient::renewToken(const char* token, uint64_t& requestId) {
  return parts_->requests.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int { return token && *token ? kOk : kInvalidToken; },
      renewTokenResult());
}

int SdkClient::publish(const char* channelName, const char* message, size_t length,
                       const sdk::PublishOptions& options, uint64_t& requestId) {
  return parts_->requests.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkPublish(channelName, message, length, options.channelType))
          return code;
        MessageCopy copy;
        copy.messageType = options.messageType;
        if (length > 0) copy.payload.assign(message, length);
        copy.customType = text(options.customType);
        return backend_->publish({options.channelType, channelName}, copy, options.storeInHistory);
      },
      plainResult(&IKivEventHandler::onPublishResult));
}

int SdkClient::subscribe(const char* channelName, const sdk::SubscribeOptions& options,
                         uint64_t& requestId) {
  const std::string name = text(channelName);
  MemberOptions member;
  member.withMessage = options.withMessage;
  member.withMetadata = options.withMetadata;
  member.withPresence = options.withPresence;
  member.withLock = options.withLock;
  member.beQuiet = options.beQuiet;
  return parts_->requests.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>& followUps) -> int {
        if (name.empty()) return kInvalidChannelName;
        return backend_->subscribe(name, member, followUps);
      },
      namedResult(&IKivEventHandler::onSubscribeResult, name));
}

int SdkClient::unsubscribe(const char* channelName, uint64_t& requestId) {
  const std::string name = text(channelName);
  return parts_->requests.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (name.empty()) return kInvalidChannelName;
        return backend_->unsubscribe(name);
      },
      namedResult(&IKivEventHandler::onUnsubscribeResult, name));
}

sdk::IStreamChannel* SdkClient::createStreamChannel(const char* channelName, int* errorCode) {
  return parts_->streamChannels.create(parts_->requests, channelName, dispatcher_.handler(),
                                       errorCode);
}

int SdkClient::setParameters(const char* parameters) {
  ClientParameters parsed;
  if (const int code = parseClientParameters(parameters, parsed); code != kOk) return code;
  try {
    // Held like a request: a callback of the events it queues may release the client.
    return parts_->requests.exclusive([&] { return applyParameters(parsed); });
  } catch (...) {
    return kFailure;
  }
}

int SdkClient::applyParameters(const ClientParameters& parsed) {
  if (parsed.failErrorCode) parts_->requests.failWith(*parsed.failErrorCode);
  if (parsed.failNextRequests) parts_->requests.failNext(*parsed.failNextRequests);
  if (parsed.reconnectDelayMs) reconnectDelayMs_ = *parsed.reconnectDelayMs;
  if (parsed.ttlUnitMs)
    if (const int code = backend_->setTtlUnit(*parsed.ttlUnitMs)) return code;
  if (parsed.tokenWillExpire) {
    dispatcher_.post([](IKivEventHandler& h) { h.onTokenPrivilegeWillExpire(""); });
    dispatcher_.post(tokenWillExpireEvent(backend_->channelNames(), backend_->timestamp()));
  }
  if (parsed.dropConnection) {
    uint64_t session = 0;
    if (const int code = backend_->dropLink(session)) return code;
    reconnectAfter(reconnectDelayMs_, session);
  }
  return kOk;
}

void SdkClient::reconnectAfter(uint32_t delayMs, uint64_t session) {
  clientTimerAfter(std::chrono::milliseconds(delayMs),
                   [reachable = std::weak_ptr<Reachable>(reachable_), session] {
                     const std::shared_ptr<Reachable> alive = reachable.lock();
                     if (!alive) return;
                     std::lock_guard<std::mutex> lock(alive->mutex);
                     try {
                       if (alive->backend) alive->backend->relinkAfterDrop(session);
                     } catch (...) {
                       // The link stays down; the client may log in again.
                     }
                   });
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
