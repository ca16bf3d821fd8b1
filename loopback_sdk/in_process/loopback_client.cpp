#include "loopback_sdk/in_process/loopback_client.h"

#include <memory>
#include <new>

#include "loopback_sdk/client_parameters.h"
#include "loopback_sdk/ids.h"
#include "loopback_sdk/in_process/channel_flows.h"
#include "loopback_sdk/in_process/request.h"
#include "loopback_sdk/in_process/session_flows.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

// Recipients of a published message: subscribers that asked for messages, or
// for a user channel every client of that user.
std::vector<uint64_t> messageRecipients(ServiceState& state, const ChannelKey& channel) {
  std::vector<uint64_t> recipients;
  if (channel.type == kChannelUser) return state.clients.idsOfUser(channel.name);
  for (const Member& member : state.members.members(channel))
    if (member.options.withMessage) recipients.push_back(member.clientId);
  return recipients;
}

LinkChange sessionChange(int previous, int current, int operation, const char* reason) {
  LinkChange change;
  change.previous = previous;
  change.current = current;
  change.operation = operation;
  change.reason = reason;
  return change;
}

}  // namespace

LoopbackClient* LoopbackClient::create(const sdk::KivConfig* config, int* errorCode) {
  auto fail = [errorCode](int code) -> LoopbackClient* {
    if (errorCode) *errorCode = code;
    return nullptr;
  };
  if (!config) return fail(kInvalidArgument);
  if (!config->appId || !*config->appId) return fail(kInvalidAppId);
  if (!config->userId || !*config->userId) return fail(kInvalidUserId);
  try {
    Service& service = Service::instance();
    auto* client = new LoopbackClient(nextClientId(), config->userId, config->eventHandler);
    service.clientCreated();
    service.locked([&](ServiceState& state) {
      state.clients.add(client->id_, config->appId, config->userId, &client->dispatcher_);
    });
    if (errorCode) *errorCode = kOk;
    return client;
  } catch (...) {
    return fail(kFailure);
  }
}

LoopbackClient::LoopbackClient(uint64_t id, std::string userId, IKivEventHandler* handler)
    : id_(id), dispatcher_(handler), backend_(id, std::move(userId)) {}

int LoopbackClient::release() {
  // Its stream channels stay usable, answering kClientReleased from now on.
  streamChannels_.orphanAll();
  Service& service = Service::instance();
  service.locked([this](ServiceState& state) {
    leaveEverything(state, id_, false);
    state.clients.remove(id_);
  });
  if (dispatcher_.onOwnThread()) {
    // Released from inside its own callback: the thread cannot join itself, so
    // it frees the client once that callback returns.
    dispatcher_.stopFromOwnThread([this] { delete this; });
  } else {
    dispatcher_.stop();
    delete this;
  }
  service.clientReleased();
  return kOk;
}

int LoopbackClient::login(const char* token, uint64_t& requestId) {
  return runRequest(
      id_, requestId, Need::kNothing,
      [&](Request& r) -> int {
        if (!token || !*token) return kInvalidToken;
        if (r.client.loggedIn) return kOk;
        r.client.loggedIn = r.client.connected = true;
        ++r.client.connectionEpoch;
        r.state.clients.reply(r.client.id, linkStateEvent(sessionChange(kLinkIdle, kLinkConnected,
                                                                        kLinkOpLogin, "login"),
                                                          r.state.timestamp()));
        r.state.clients.reply(r.client.id,
                              connectionStateEvent("", kConnectionConnected, kReasonLoginSuccess));
        return kOk;
      },
      plainResult(&IKivEventHandler::onLoginResult));
}

int LoopbackClient::logout(uint64_t& requestId) {
  return runRequest(
      id_, requestId, Need::kNothing,
      [&](Request& r) -> int {
        if (!r.client.loggedIn) return kNotLoggedIn;
        leaveEverything(r.state, r.client.id, true);
        const int previous = r.client.connected ? kLinkConnected : kLinkDisconnected;
        r.client.loggedIn = r.client.connected = false;
        ++r.client.connectionEpoch;
        r.state.clients.reply(
            r.client.id, linkStateEvent(sessionChange(previous, kLinkIdle, kLinkOpLogout, "logout"),
                                        r.state.timestamp()));
        r.state.clients.reply(r.client.id,
                              connectionStateEvent("", kConnectionDisconnected, kReasonLogout));
        return kOk;
      },
      plainResult(&IKivEventHandler::onLogoutResult));
}

int LoopbackClient::renewToken(const char* token, uint64_t& requestId) {
  return runRequest(
      id_, requestId, Need::kConnection,
      [&](Request&) -> int { return token && *token ? kOk : kInvalidToken; }, renewTokenResult());
}

int LoopbackClient::publish(const char* channelName, const char* message, size_t length,
                            const sdk::PublishOptions& options, uint64_t& requestId) {
  return runRequest(
      id_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkPublish(channelName, message, length, options.channelType))
          return code;
        const ChannelKey channel{options.channelType, channelName};
        auto copy = std::make_shared<MessageCopy>();
        copy->messageType = options.messageType;
        copy->publisher = r.client.userId;
        if (length > 0) copy->payload.assign(message, length);
        copy->customType = text(options.customType);
        copy->timestamp = r.state.timestamp();
        // A user-channel message names its sender as the channel, the one to reply to.
        const std::string shownName = channel.type == kChannelUser ? r.client.userId : channel.name;
        const Event event = messageEvent(channel.type, shownName, "", copy);
        for (uint64_t recipient : messageRecipients(r.state, channel))
          r.state.clients.notify(recipient, event);
        if (options.storeInHistory) r.state.history.store(channel, *copy);
        return kOk;
      },
      plainResult(&IKivEventHandler::onPublishResult));
}

int LoopbackClient::subscribe(const char* channelName, const sdk::SubscribeOptions& options,
                              uint64_t& requestId) {
  const std::string name = text(channelName);
  return runRequest(
      id_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (name.empty()) return kInvalidChannelName;
        MemberOptions member;
        member.withMessage = options.withMessage;
        member.withMetadata = options.withMetadata;
        member.withPresence = options.withPresence;
        member.withLock = options.withLock;
        member.beQuiet = options.beQuiet;
        enterChannel(r, {kChannelMessage, name}, member);
        return kOk;
      },
      namedResult(&IKivEventHandler::onSubscribeResult, name));
}

int LoopbackClient::unsubscribe(const char* channelName, uint64_t& requestId) {
  const std::string name = text(channelName);
  return runRequest(
      id_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (name.empty()) return kInvalidChannelName;
        return exitChannel(r.state, r.client.id, {kChannelMessage, name}) ? kOk : kNotInChannel;
      },
      namedResult(&IKivEventHandler::onUnsubscribeResult, name));
}

sdk::IStreamChannel* LoopbackClient::createStreamChannel(const char* channelName, int* errorCode) {
  return streamChannels_.create(requests_, channelName, dispatcher_.handler(), errorCode);
}

int LoopbackClient::setParameters(const char* parameters) {
  ClientParameters parsed;
  if (const int code = parseClientParameters(parameters, parsed); code != kOk) return code;
  try {
    return Service::instance().locked([&](ServiceState& state) -> int {
      ClientRecord* client = state.clients.find(id_);
      if (!client) return kClientReleased;
      if (parsed.failErrorCode) client->failErrorCode = *parsed.failErrorCode;
      if (parsed.failNextRequests) client->failNextRequests = *parsed.failNextRequests;
      if (parsed.reconnectDelayMs) client->reconnectDelayMs = *parsed.reconnectDelayMs;
      if (parsed.ttlUnitMs) state.ttlUnitMs = *parsed.ttlUnitMs;
      if (parsed.tokenWillExpire) {
        state.clients.reply(id_, [](IKivEventHandler& h) { h.onTokenPrivilegeWillExpire(""); });
        std::vector<std::string> channels = channelNamesOf(state, id_);
        const uint64_t timestamp = state.timestamp();
        state.clients.reply(id_, tokenWillExpireEvent(channels, timestamp));
      }
      if (parsed.dropConnection) return dropConnection(state, *client);
      return kOk;
    });
  } catch (...) {
    return kFailure;
  }
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
