// The JSON form of every SDK record that crosses the host boundary: one list
// of fields per record, in the record's field order. fromJson()/toJson() of
// json_fields.h walk these lists.
#pragma once

#include "src/kiv/src/json/json_fields.h"
#include "velmo_kiv_sdk/kiv_records.h"

namespace velmo {
namespace quon {
namespace kiv {

namespace sdk = ::velmo::kiv;

#define KIV_RECORD_FIELDS(Record, ...)            \
  template <>                                     \
  struct RecordFields<sdk::Record> {              \
    using R = sdk::Record;                        \
    static constexpr const char* name = #Record;  \
    static constexpr auto list() {                \
      using namespace ::velmo::quon::kiv::fields; \
      return std::make_tuple(__VA_ARGS__);        \
    }                                             \
  }

// ---- client configuration (read) -----------------------------------------

KIV_RECORD_FIELDS(LogConfig,                              //
                  str("filePath", &R::filePath),          //
                  num("fileSizeInKB", &R::fileSizeInKB),  //
                  num("level", &R::level));

KIV_RECORD_FIELDS(ProxyConfig,                      //
                  num("proxyType", &R::proxyType),  //
                  str("server", &R::server),        //
                  num("port", &R::port),            //
                  str("account", &R::account),      //
                  str("password", &R::password));

KIV_RECORD_FIELDS(EncryptionConfig,                           //
                  num("encryptionMode", &R::encryptionMode),  //
                  str("encryptionKey", &R::encryptionKey),    //
                  bytes("encryptionSalt", &R::encryptionSalt));

KIV_RECORD_FIELDS(PrivateConfig,                        //
                  num("serviceType", &R::serviceType),  //
                  array("accessPointHosts", &R::accessPointHosts, KIV_TWIN("accessPointHostsCount"),
                        &R::accessPointHostsCount));

KIV_RECORD_FIELDS(KivConfig,                                          //
                  str("appId", &R::appId),                            //
                  str("userId", &R::userId),                          //
                  num("areaCode", &R::areaCode),                      //
                  num("protocolType", &R::protocolType),              //
                  num("presenceTimeout", &R::presenceTimeout),        //
                  num("heartbeatInterval", &R::heartbeatInterval),    //
                  num("reconnectTimeout", &R::reconnectTimeout),      //
                  addr(KIV_TWIN("context"), &R::context),             //
                  boolean("useStringUserId", &R::useStringUserId),    //
                  boolean("multipath", &R::multipath),                //
                  boolean("ispPolicyEnabled", &R::ispPolicyEnabled),  //
                  addr(KIV_TWIN("eventHandler"), &R::eventHandler),   //
                  nested("logConfig", &R::logConfig),                 //
                  nested("proxyConfig", &R::proxyConfig),             //
                  nested("encryptionConfig", &R::encryptionConfig),   //
                  nested("privateConfig", &R::privateConfig));

// ---- request options (read) ------------------------------------------------

KIV_RECORD_FIELDS(PublishOptions,                       //
                  num("channelType", &R::channelType),  //
                  num("messageType", &R::messageType),  //
                  str("customType", &R::customType),    //
                  boolean("storeInHistory", &R::storeInHistory));

KIV_RECORD_FIELDS(SubscribeOptions,                           //
                  boolean("withMessage", &R::withMessage),    //
                  boolean("withMetadata", &R::withMetadata),  //
                  boolean("withPresence", &R::withPresence),  //
                  boolean("withLock", &R::withLock),          //
                  boolean("beQuiet", &R::beQuiet));

KIV_RECORD_FIELDS(JoinChannelOptions,                         //
                  str("token", &R::token),                    //
                  boolean("withMetadata", &R::withMetadata),  //
                  boolean("withPresence", &R::withPresence),  //
                  boolean("withLock", &R::withLock),          //
                  boolean("beQuiet", &R::beQuiet));

KIV_RECORD_FIELDS(JoinTopicOptions,               //
                  num("qos", &R::qos),            //
                  num("priority", &R::priority),  //
                  str("meta", &R::meta),          //
                  boolean("syncWithMedia", &R::syncWithMedia));

KIV_RECORD_FIELDS(TopicMessageOptions,                   //
                  num("messageType", &R::messageType),   //
                  twin(KIV_TWIN("sendTs"), &R::sendTs),  //
                  str("customType", &R::customType));

KIV_RECORD_FIELDS(TopicOptions,  //
                  array("users", &R::users, KIV_TWIN("userCount"), &R::userCount));

KIV_RECORD_FIELDS(PresenceOptions,                              //
                  boolean("includeUserId", &R::includeUserId),  //
                  boolean("includeState", &R::includeState),    //
                  str("page", &R::page));

KIV_RECORD_FIELDS(GetOnlineUsersOptions,                        //
                  boolean("includeUserId", &R::includeUserId),  //
                  boolean("includeState", &R::includeState),    //
                  str("page", &R::page));

KIV_RECORD_FIELDS(GetHistoryMessagesOptions,              //
                  num("messageCount", &R::messageCount),  //
                  twin(KIV_TWIN("start"), &R::start),     //
                  twin(KIV_TWIN("end"), &R::end));

KIV_RECORD_FIELDS(MetadataOptions,                    //
                  boolean("recordTs", &R::recordTs),  //
                  boolean("recordUserId", &R::recordUserId));

// ---- read and written --------------------------------------------------------

KIV_RECORD_FIELDS(MetadataItem,                           //
                  str("key", &R::key),                    //
                  str("value", &R::value),                //
                  str("authorUserId", &R::authorUserId),  //
                  num("revision", &R::revision),          //
                  num("updateTs", &R::updateTs));

KIV_RECORD_FIELDS(Metadata,                                 //
                  num("majorRevision", &R::majorRevision),  //
                  array("items", &R::items, KIV_TWIN("itemCount"), &R::itemCount));

KIV_RECORD_FIELDS(StateItem,            //
                  str("key", &R::key),  //
                  str("value", &R::value));

// ---- events and results (written) -----------------------------------------

KIV_RECORD_FIELDS(MessageEvent,                                        //
                  num("channelType", &R::channelType),                 //
                  num("messageType", &R::messageType),                 //
                  str("channelName", &R::channelName),                 //
                  str("channelTopic", &R::channelTopic),               //
                  addr(KIV_TWIN("message"), &R::message),              //
                  twin(KIV_TWIN("messageLength"), &R::messageLength),  //
                  str("publisher", &R::publisher),                     //
                  str("customType", &R::customType),                   //
                  twin(KIV_TWIN("timestamp"), &R::timestamp));

KIV_RECORD_FIELDS(HistoryMessage,                                      //
                  num("messageType", &R::messageType),                 //
                  str("publisher", &R::publisher),                     //
                  addr(KIV_TWIN("message"), &R::message),              //
                  twin(KIV_TWIN("messageLength"), &R::messageLength),  //
                  str("customType", &R::customType),                   //
                  twin(KIV_TWIN("timestamp"), &R::timestamp));

KIV_RECORD_FIELDS(UserList,  //
                  array("users", &R::users, KIV_TWIN("userCount"), &R::userCount));

KIV_RECORD_FIELDS(UserState,                  //
                  str("userId", &R::userId),  //
                  array("states", &R::states, KIV_TWIN("statesCount"), &R::statesCount));

KIV_RECORD_FIELDS(IntervalInfo,                                    //
                  nested("joinUserList", &R::joinUserList),        //
                  nested("leaveUserList", &R::leaveUserList),      //
                  nested("timeoutUserList", &R::timeoutUserList),  //
                  array("userStateList", &R::userStateList, KIV_TWIN("userStateCount"),
                        &R::userStateCount));

KIV_RECORD_FIELDS(SnapshotInfo,  //
                  array("userStateList", &R::userStateList, KIV_TWIN("userCount"), &R::userCount));

KIV_RECORD_FIELDS(PresenceEvent,                        //
                  num("type", &R::type),                //
                  num("channelType", &R::channelType),  //
                  str("channelName", &R::channelName),  //
                  str("publisher", &R::publisher),      //
                  array("stateItems", &R::stateItems, KIV_TWIN("stateItemCount"),
                        &R::stateItemCount),         //
                  nested("interval", &R::interval),  //
                  nested("snapshot", &R::snapshot),  //
                  twin(KIV_TWIN("timestamp"), &R::timestamp));

KIV_RECORD_FIELDS(PublisherInfo,                                //
                  str("publisherUserId", &R::publisherUserId),  //
                  str("publisherMeta", &R::publisherMeta));

KIV_RECORD_FIELDS(TopicInfo,                //
                  str("topic", &R::topic),  //
                  array("publishers", &R::publishers, KIV_TWIN("publisherCount"),
                        &R::publisherCount));

KIV_RECORD_FIELDS(TopicEvent,                           //
                  num("type", &R::type),                //
                  str("channelName", &R::channelName),  //
                  str("publisher", &R::publisher),      //
                  array("topicInfos", &R::topicInfos, KIV_TWIN("topicInfoCount"),
                        &R::topicInfoCount),  //
                  twin(KIV_TWIN("timestamp"), &R::timestamp));

KIV_RECORD_FIELDS(LockDetail,                     //
                  str("lockName", &R::lockName),  //
                  str("owner", &R::owner),        //
                  num("ttl", &R::ttl));

KIV_RECORD_FIELDS(LockEvent,                                                                  //
                  num("channelType", &R::channelType),                                        //
                  num("eventType", &R::eventType),                                            //
                  str("channelName", &R::channelName),                                        //
                  array("lockDetailList", &R::lockDetailList, KIV_TWIN("count"), &R::count),  //
                  twin(KIV_TWIN("timestamp"), &R::timestamp));

KIV_RECORD_FIELDS(StorageEvent,                         //
                  num("channelType", &R::channelType),  //
                  num("storageType", &R::storageType),  //
                  num("eventType", &R::eventType),      //
                  str("target", &R::target),            //
                  nested("data", &R::data),             //
                  twin(KIV_TWIN("timestamp"), &R::timestamp));

KIV_RECORD_FIELDS(LinkStateEvent,                           //
                  num("currentState", &R::currentState),    //
                  num("previousState", &R::previousState),  //
                  num("serviceType", &R::serviceType),      //
                  num("operation", &R::operation),          //
                  num("reasonCode", &R::reasonCode),        //
                  str("reason", &R::reason),                //
                  array("affectedChannels", &R::affectedChannels, KIV_TWIN("affectedChannelCount"),
                        &R::affectedChannelCount),  //
                  array("unrestoredChannels", &R::unrestoredChannels,
                        KIV_TWIN("unrestoredChannelCount"), &R::unrestoredChannelCount),  //
                  boolean("isResumed", &R::isResumed),                                    //
                  twin(KIV_TWIN("timestamp"), &R::timestamp));

KIV_RECORD_FIELDS(ChannelList,  //
                  array("channels", &R::channels, KIV_TWIN("channelCount"), &R::channelCount));

KIV_RECORD_FIELDS(AffectedResources,  //
                  nested("messageChannels", &R::messageChannels));

KIV_RECORD_FIELDS(TokenEvent,                                          //
                  num("eventType", &R::eventType),                     //
                  str("reason", &R::reason),                           //
                  nested("affectedResources", &R::affectedResources),  //
                  twin(KIV_TWIN("timestamp"), &R::timestamp));

KIV_RECORD_FIELDS(ChannelInfo,                          //
                  str("channelName", &R::channelName),  //
                  num("channelType", &R::channelType));

#undef KIV_RECORD_FIELDS

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
