// A host of the built library as a real one would be: the library is loaded
// at run time (dlopen, LoadLibraryW), reached only through its exported C
// functions, and each user gets an engine and an event sink of its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "host_kit.h"

namespace loopback_e2e {

using nlohmann::json;

// The eleven exports, resolved through the host kit.
using WrapperExports = HostKitExports;

// Loaded once per process; null with a message when the library is missing.
const WrapperExports* wrapper(std::string* error = nullptr);

// One event as the sink saw it, copied.
struct HostEvent {
  std::string name;
  json data;
  std::vector<std::string> buffers;
};

class EventLog {
 public:
  using Match = std::function<bool(const HostEvent&)>;
  void record(const EventParam* event);
  std::optional<HostEvent> waitFor(const std::string& name, const Match& match = nullptr,
                                   std::chrono::seconds timeout = std::chrono::seconds(10));
  std::vector<HostEvent> named(const std::string& name);
  size_t size();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<HostEvent> events_;
};

class HostUser {
 public:
  explicit HostUser(const std::string& userId);
  ~HostUser();
  HostUser(const HostUser&) = delete;
  HostUser& operator=(const HostUser&) = delete;

  // The code of CallQuonKivApi; the parsed result goes to *result.
  int call(const std::string& api, const json& params, const std::string* payload = nullptr,
           json* result = nullptr);
  // An asynchronous call that must be accepted; returns its request id.
  uint64_t request(const std::string& api, const json& params,
                   const std::string* payload = nullptr);
  // Waits for the event answering requestId and expects its error code.
  HostEvent expect(const std::string& event, uint64_t requestId, int errorCode = 0);
  void login();
  void subscribe(const std::string& channel, const json& options);
  // Releases the SDK client (KivClient_release); the engine stays.
  void releaseClient();

  const std::string userId;
  EventLog events;

 private:
  int slot_ = -1;
  QuonKivEngineHandle engine_ = nullptr;
  QuonEventHandlerHandle sink_ = nullptr;
  bool clientReleased_ = false;
};

// Names of the APIs and events the tests use.
namespace api {
constexpr const char* kLogin = "KivClient_login_1fa04dd";
constexpr const char* kLogout = "KivClient_logout_90386a9";
constexpr const char* kPublish = "KivClient_publish_2d36e93";
constexpr const char* kSubscribe = "KivClient_subscribe_3fae92d";
constexpr const char* kSetParameters = "KivClient_setParameters_3a2037f";
constexpr const char* kCreateStream = "KivClient_createStreamChannel_ae3d0cf";
constexpr const char* kSetChannelMetadata = "KivStorage_setChannelMetadata_55e6d00";
constexpr const char* kUpdateChannelMetadata = "KivStorage_updateChannelMetadata_55e6d00";
constexpr const char* kSetLock = "KivLock_setLock_89e5672";
constexpr const char* kAcquireLock = "KivLock_acquireLock_cd2dbc2";
constexpr const char* kReleaseLock = "KivLock_releaseLock_4ffa44d";
constexpr const char* kGetLocks = "KivLock_getLocks_ad8568b";
constexpr const char* kWhoNow = "KivPresence_whoNow_f7f61d1";
constexpr const char* kGetMessages = "KivHistory_getMessages_e5877fc";
constexpr const char* kStreamJoin = "StreamChannel_join_2090a6b";
constexpr const char* kJoinTopic = "StreamChannel_joinTopic_ff0ec3f";
constexpr const char* kSubscribeTopic = "StreamChannel_subscribeTopic_b801234";
constexpr const char* kPublishTopic = "StreamChannel_publishTopicMessage_a31773e";
constexpr const char* kStreamRelease = "StreamChannel_release";
}  // namespace api

namespace event {
constexpr const char* kLogin = "KivEventHandler_onLoginResult_4f46899";
constexpr const char* kLogout = "KivEventHandler_onLogoutResult_4f46899";
constexpr const char* kSubscribe = "KivEventHandler_onSubscribeResult_edf84fc";
constexpr const char* kPublish = "KivEventHandler_onPublishResult_4f46899";
constexpr const char* kMessage = "KivEventHandler_onMessageEvent_ce5f8f5";
constexpr const char* kPresence = "KivEventHandler_onPresenceEvent_32b5db1";
constexpr const char* kWhoNow = "KivEventHandler_onWhoNowResult_b070777";
constexpr const char* kStorage = "KivEventHandler_onStorageEvent_4304228";
constexpr const char* kSetChannelMetadata = "KivEventHandler_onSetChannelMetadataResult_7cb1a6e";
constexpr const char* kUpdateChannelMetadata =
    "KivEventHandler_onUpdateChannelMetadataResult_7cb1a6e";
constexpr const char* kSetLock = "KivEventHandler_onSetLockResult_01034fa";
constexpr const char* kAcquireLock = "KivEventHandler_onAcquireLockResult_aad7ec0";
constexpr const char* kReleaseLock = "KivEventHandler_onReleaseLockResult_01034fa";
constexpr const char* kGetLocks = "KivEventHandler_onGetLocksResult_6e98f5f";
constexpr const char* kHistory = "KivEventHandler_onGetHistoryMessagesResult_c5dd08c";
constexpr const char* kJoin = "KivEventHandler_onJoinResult_ce14e01";
constexpr const char* kJoinTopic = "KivEventHandler_onJoinTopicResult_bfd472e";
constexpr const char* kSubscribeTopic = "KivEventHandler_onSubscribeTopicResult_ae281ad";
constexpr const char* kPublishTopic = "KivEventHandler_onPublishTopicMessageResult_ce14e01";
constexpr const char* kLinkState = "KivEventHandler_onLinkStateEvent_6d5317f";
constexpr const char* kConnectionState = "KivEventHandler_onConnectionStateChanged_ac0fd53";
}  // namespace event

}  // namespace loopback_e2e
