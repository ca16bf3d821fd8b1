// Every API name of the six modules with valid arguments, the SDK operation
// they must reach and the exact arguments it must receive (option defaults
// included), and the answer.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {

// Request ids handed out by the fake start here: above 32 bits, so a
// narrowing anywhere shows.
constexpr unsigned long long kFirstRequestId = 4294967301ULL;

// What the fake's synchronous operations answer in these rows.
constexpr int kClientSetParametersAnswer = 23;
constexpr int kChannelSetParametersAnswer = 24;
constexpr int kChannelReleaseAnswer = 25;
constexpr int kClientReleaseAnswer = 26;

struct ApiRow {
  const char* api;
  const char* params;             // valid arguments
  std::vector<const char*> keys;  // the argument keys, in the order they are checked
  const char* sdkOp;              // the SDK operation reached, null for none
  const char* sdkArgs;            // its exact arguments
  int code = 0;
  const char* result = nullptr;  // exact result text; null: {"requestId":N,"result":0}
};

// Test output names a row by its API name.
inline void PrintTo(const ApiRow& row, std::ostream* os) { *os << row.api; }

// The module an API name belongs to, by its prefix.
inline std::string moduleOf(const std::string& api) {
  if (api == "KivClient_createStreamChannel_ae3d0cf") return "StreamChannel";
  return api.substr(0, api.find('_'));
}

// Calls that need a created channel named "ch".
inline bool needsChannel(const ApiRow& row) {
  return row.api != std::string("KivClient_createStreamChannel_ae3d0cf") &&
         moduleOf(row.api) == "StreamChannel";
}

inline const std::vector<ApiRow>& clientRows() {
  static const std::vector<ApiRow> rows = {
      {"KivClient_login_1fa04dd",
       R"({"token":"tok-1"})",
       {"token"},
       "IKivClient::login",
       R"({"token":"tok-1"})"},
      {"KivClient_logout_90386a9", "{}", {}, "IKivClient::logout", "{}"},
      {"KivClient_renewToken_1fa04dd",
       R"({"token":"tok-2"})",
       {"token"},
       "IKivClient::renewToken",
       R"({"token":"tok-2"})"},
      {"KivClient_publish_2d36e93",
       R"({"channelName":"news","message":4096,"length":3,"option":{}})",
       {"channelName", "message", "length", "option"},
       "IKivClient::publish",
       R"({"channelName":"news","message":4096,"length":3,"options":{"channelType":1,
          "messageType":0,"customType":null,"storeInHistory":false}})"},
      {"KivClient_subscribe_3fae92d",
       R"({"channelName":"news","options":{}})",
       {"channelName", "options"},
       "IKivClient::subscribe",
       R"({"channelName":"news","options":{"withMessage":true,"withMetadata":false,
          "withPresence":true,"withLock":false,"beQuiet":false}})"},
      {"KivClient_unsubscribe_1fa04dd",
       R"({"channelName":"news"})",
       {"channelName"},
       "IKivClient::unsubscribe",
       R"({"channelName":"news"})"},
      {"KivClient_setParameters_3a2037f",
       R"({"parameters":"{\"a\":1}"})",
       {"parameters"},
       "IKivClient::setParameters",
       R"({"parameters":"{\"a\":1}"})",
       0,
       R"({"result":23})"},
      {"KivClient_setAppType",
       R"({"appType":7})",
       {"appType"},
       "IKivClient::setParameters",
       R"({"parameters":"{\"kiv.app_type\": 7}"})",
       0,
       R"({"result":23})"},
      {"KivClient_release", nullptr, {}, "IKivClient::release", "{}", 0, R"({"result":26})"},
      {"KivClient_setLogFile",
       R"({"filePath":""})",
       {"filePath"},
       nullptr,
       nullptr,
       0,
       R"({"result":0})"},
      {"KivClient_setLogLevel",
       R"({"level":1})",
       {"level"},
       nullptr,
       nullptr,
       0,
       R"({"result":0})"},
      {"KivClient_setLogFileSize",
       R"({"fileSizeInKBytes":0})",
       {"fileSizeInKBytes"},
       nullptr,
       nullptr,
       0,
       R"({"result":0})"},
      {"KivClient_getStorage", nullptr, {}, nullptr, nullptr, 4, "null"},
      {"KivClient_getLock", nullptr, {}, nullptr, nullptr, 4, "null"},
      {"KivClient_getPresence", nullptr, {}, nullptr, nullptr, 4, "null"},
  };
  return rows;
}

inline const std::vector<ApiRow>& streamChannelRows() {
  static const std::vector<ApiRow> rows = {
      {"KivClient_createStreamChannel_ae3d0cf",
       R"({"channelName":"other"})",
       {"channelName"},
       "IKivClient::createStreamChannel",
       R"({"channelName":"other"})",
       0,
       R"({"errorCode":0,"result":0})"},
      {"StreamChannel_join_2090a6b",
       R"({"channelName":"ch","options":{}})",
       {"channelName", "options"},
       "IStreamChannel::join",
       R"({"options":{"token":null,"withMetadata":false,"withPresence":true,"withLock":false,
          "beQuiet":false}})"},
      {"StreamChannel_leave_90386a9",
       R"({"channelName":"ch"})",
       {"channelName"},
       "IStreamChannel::leave",
       "{}"},
      {"StreamChannel_getChannelName",
       R"({"channelName":"ch"})",
       {"channelName"},
       "IStreamChannel::getChannelName",
       "{}",
       0,
       R"({"result":"ch"})"},
      {"StreamChannel_joinTopic_ff0ec3f",
       R"({"channelName":"ch","topic":"t1","options":{"qos":1}})",
       {"channelName", "topic", "options"},
       "IStreamChannel::joinTopic",
       R"({"topic":"t1","options":{"qos":1,"priority":4,"meta":null,"syncWithMedia":false}})"},
      {"StreamChannel_leaveTopic_1fa04dd",
       R"({"channelName":"ch","topic":"t1"})",
       {"channelName", "topic"},
       "IStreamChannel::leaveTopic",
       R"({"topic":"t1"})"},
      {"StreamChannel_publishTopicMessage_a31773e",
       R"({"channelName":"ch","topic":"t1","message":8192,"length":0,
           "option":{"sendTs":3,"sendTs_str":"9"}})",
       {"channelName", "topic", "message", "length", "option"},
       "IStreamChannel::publishTopicMessage",
       R"({"topic":"t1","message":8192,"length":0,"option":{"messageType":0,"sendTs":9,
          "customType":null}})"},
      {"StreamChannel_subscribeTopic_b801234",
       R"({"channelName":"ch","topic":"t1","options":{"users":["u1","u2"]}})",
       {"channelName", "topic", "options"},
       "IStreamChannel::subscribeTopic",
       R"({"topic":"t1","options":{"users":["u1","u2"],"userCount":2}})"},
      {"StreamChannel_unsubscribeTopic_b801234",
       R"({"channelName":"ch","topic":"t1","options":{"users":[]}})",
       {"channelName", "topic", "options"},
       "IStreamChannel::unsubscribeTopic",
       R"({"topic":"t1","options":{"users":null,"userCount":0}})"},
      {"StreamChannel_getSubscribedUserList_1fa04dd",
       R"({"channelName":"ch","topic":"t1"})",
       {"channelName", "topic"},
       "IStreamChannel::getSubscribedUserList",
       R"({"topic":"t1"})"},
      {"StreamChannel_renewToken_1fa04dd",
       R"({"channelName":"ch","token":"tok-3"})",
       {"channelName", "token"},
       "IStreamChannel::renewToken",
       R"({"token":"tok-3"})"},
      {"StreamChannel_setParameters_3a2037f",
       R"({"channelName":"ch","parameters":"p=1"})",
       {"channelName", "parameters"},
       "IStreamChannel::setParameters",
       R"({"parameters":"p=1"})",
       0,
       R"({"result":24})"},
      {"StreamChannel_release",
       R"({"channelName":"ch"})",
       {"channelName"},
       "IStreamChannel::release",
       "{}",
       0,
       R"({"result":25})"},
  };
  return rows;
}

inline const std::vector<ApiRow>& storageRows() {
  static const std::vector<ApiRow> rows = {
      {"KivStorage_setChannelMetadata_55e6d00",
       R"({"channelName":"room","channelType":1,"data":{"items":[{"key":"k","value":"v"}]},
           "options":{},"lockName":""})",
       {"channelName", "channelType", "data", "options", "lockName"},
       "IKivStorage::setChannelMetadata",
       R"({"channelName":"room","channelType":1,"data":{"majorRevision":-1,"items":[{"key":"k",
          "value":"v","authorUserId":null,"revision":-1,"updateTs":0}],"itemCount":1},
          "options":{"recordTs":false,"recordUserId":false},"lockName":""})"},
      {"KivStorage_updateChannelMetadata_55e6d00",
       R"({"channelName":"room","channelType":2,"data":{"majorRevision":3,"items":[]},
           "options":{"recordTs":true},"lockName":"L"})",
       {"channelName", "channelType", "data", "options", "lockName"},
       "IKivStorage::updateChannelMetadata",
       R"({"channelName":"room","channelType":2,"data":{"majorRevision":3,"items":null,
          "itemCount":0},"options":{"recordTs":true,"recordUserId":false},"lockName":"L"})"},
      {"KivStorage_removeChannelMetadata_55e6d00",
       R"({"channelName":"room","channelType":1,"data":{},"options":{"recordUserId":true},
           "lockName":"L"})",
       {"channelName", "channelType", "data", "options", "lockName"},
       "IKivStorage::removeChannelMetadata",
       R"({"channelName":"room","channelType":1,"data":{"majorRevision":-1,"items":null,
          "itemCount":0},"options":{"recordTs":false,"recordUserId":true},"lockName":"L"})"},
      {"KivStorage_getChannelMetadata_ad8568b",
       R"({"channelName":"room","channelType":2})",
       {"channelName", "channelType"},
       "IKivStorage::getChannelMetadata",
       R"({"channelName":"room","channelType":2})"},
      {"KivStorage_setUserMetadata_24ae125",
       R"({"userId":"u1","data":{"majorRevision":7,"items":[{"key":"a","authorUserId":"x",
           "revision":5,"updateTs":9},{"value":"only"}]},"options":{}})",
       {"userId", "data", "options"},
       "IKivStorage::setUserMetadata",
       R"({"userId":"u1","data":{"majorRevision":7,"items":[{"key":"a","value":null,
          "authorUserId":"x","revision":5,"updateTs":9},{"key":null,"value":"only",
          "authorUserId":null,"revision":-1,"updateTs":0}],"itemCount":2},
          "options":{"recordTs":false,"recordUserId":false}})"},
      {"KivStorage_updateUserMetadata_24ae125",
       R"({"userId":"u1","data":{},"options":{"recordTs":true,"recordUserId":true}})",
       {"userId", "data", "options"},
       "IKivStorage::updateUserMetadata",
       R"({"userId":"u1","data":{"majorRevision":-1,"items":null,"itemCount":0},
          "options":{"recordTs":true,"recordUserId":true}})"},
      {"KivStorage_removeUserMetadata_24ae125",
       R"({"userId":"u1","data":{"items":[{"key":"a"}]},"options":{}})",
       {"userId", "data", "options"},
       "IKivStorage::removeUserMetadata",
       R"({"userId":"u1","data":{"majorRevision":-1,"items":[{"key":"a","value":null,
          "authorUserId":null,"revision":-1,"updateTs":0}],"itemCount":1},
          "options":{"recordTs":false,"recordUserId":false}})"},
      {"KivStorage_getUserMetadata_1fa04dd",
       R"({"userId":""})",
       {"userId"},
       "IKivStorage::getUserMetadata",
       R"({"userId":""})"},
      {"KivStorage_subscribeUserMetadata_1fa04dd",
       R"({"userId":"u2"})",
       {"userId"},
       "IKivStorage::subscribeUserMetadata",
       R"({"userId":"u2"})"},
      {"KivStorage_unsubscribeUserMetadata_1fa04dd",
       R"({"userId":"u2"})",
       {"userId"},
       "IKivStorage::unsubscribeUserMetadata",
       R"({"userId":"u2"})"},
  };
  return rows;
}

inline const std::vector<ApiRow>& lockRows() {
  static const std::vector<ApiRow> rows = {
      {"KivLock_setLock_89e5672",
       R"({"channelName":"c","channelType":1,"lockName":"L","ttl":30})",
       {"channelName", "channelType", "lockName", "ttl"},
       "IKivLock::setLock",
       R"({"channelName":"c","channelType":1,"lockName":"L","ttl":30})"},
      {"KivLock_getLocks_ad8568b",
       R"({"channelName":"c","channelType":1,"lockName":"ignored"})",
       {"channelName", "channelType"},
       "IKivLock::getLocks",
       R"({"channelName":"c","channelType":1})"},
      {"KivLock_removeLock_4ffa44d",
       R"({"channelName":"c","channelType":1,"lockName":"L"})",
       {"channelName", "channelType", "lockName"},
       "IKivLock::removeLock",
       R"({"channelName":"c","channelType":1,"lockName":"L"})"},
      {"KivLock_acquireLock_cd2dbc2",
       R"({"channelName":"c","channelType":1,"lockName":"L","retry":false})",
       {"channelName", "channelType", "lockName", "retry"},
       "IKivLock::acquireLock",
       R"({"channelName":"c","channelType":1,"lockName":"L","retry":false})"},
      {"KivLock_releaseLock_4ffa44d",
       R"({"channelName":"c","channelType":1,"lockName":"L"})",
       {"channelName", "channelType", "lockName"},
       "IKivLock::releaseLock",
       R"({"channelName":"c","channelType":1,"lockName":"L"})"},
      {"KivLock_revokeLock_fc4a9d7",
       R"({"channelName":"c","channelType":1,"lockName":"L","owner":"o"})",
       {"channelName", "channelType", "lockName", "owner"},
       "IKivLock::revokeLock",
       R"({"channelName":"c","channelType":1,"lockName":"L","owner":"o"})"},
  };
  return rows;
}

inline const std::vector<ApiRow>& presenceRows() {
  static const std::vector<ApiRow> rows = {
      {"KivPresence_whoNow_f7f61d1",
       R"({"channelName":"c","channelType":1,"options":{}})",
       {"channelName", "channelType", "options"},
       "IKivPresence::whoNow",
       R"({"channelName":"c","channelType":1,"options":{"includeUserId":true,
          "includeState":false,"page":null}})"},
      {"KivPresence_whereNow_1fa04dd",
       R"({"userId":"u"})",
       {"userId"},
       "IKivPresence::whereNow",
       R"({"userId":"u"})"},
      {"KivPresence_setState_b73723a",
       R"({"channelName":"c","channelType":1,"items":[{"key":"k","value":"v"},{"key":"k2"}],
           "count":1})",
       {"channelName", "channelType", "items", "count"},
       "IKivPresence::setState",
       R"({"channelName":"c","channelType":1,"items":[{"key":"k","value":"v"}],"count":1})"},
      {"KivPresence_removeState_d7033d8",
       R"({"channelName":"c","channelType":1,"count":2,"keys":["a","b"]})",
       {"channelName", "channelType", "count", "keys"},
       "IKivPresence::removeState",
       R"({"channelName":"c","channelType":1,"keys":["a","b"],"count":2})"},
      {"KivPresence_getState_4ffa44d",
       R"({"channelName":"c","channelType":1,"userId":"u"})",
       {"channelName", "channelType", "userId"},
       "IKivPresence::getState",
       R"({"channelName":"c","channelType":1,"userId":"u"})"},
      {"KivPresence_getOnlineUsers_ce2d8e8",
       R"({"channelName":"c","channelType":1,"options":{"includeState":true,"page":"p2"}})",
       {"channelName", "channelType", "options"},
       "IKivPresence::getOnlineUsers",
       R"({"channelName":"c","channelType":1,"options":{"includeUserId":true,
          "includeState":true,"page":"p2"}})"},
      {"KivPresence_getUserChannels_1fa04dd",
       R"({"userId":"u"})",
       {"userId"},
       "IKivPresence::getUserChannels",
       R"({"userId":"u"})"},
  };
  return rows;
}

inline const std::vector<ApiRow>& historyRows() {
  static const std::vector<ApiRow> rows = {
      {"KivHistory_getMessages_e5877fc",
       R"({"channelName":"c","channelType":1,"options":{"start":5,"start_str":"7"}})",
       {"channelName", "channelType", "options"},
       "IKivHistory::getMessages",
       R"({"channelName":"c","channelType":1,"options":{"messageCount":100,"start":7,
          "end":0}})"},
  };
  return rows;
}

inline std::vector<ApiRow> allRows() {
  std::vector<ApiRow> all;
  for (const auto* rows : {&clientRows(), &streamChannelRows(), &storageRows(), &lockRows(),
                           &presenceRows(), &historyRows()})
    all.insert(all.end(), rows->begin(), rows->end());
  return all;
}

}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
