// Plain records of the messaging SDK. Field order is part of the binary
// interface with the SDK: never reorder, insert or remove fields.
//
// Member defaults are the values a field takes when a request leaves it out;
// records that the SDK only reports start zeroed.
#pragma once

// The C headers, not <cstddef> and <cstdint>: an SDK or host built without
// a C++ library (as small MSVC test partners are) includes these too.
#include <stddef.h>
#include <stdint.h>

namespace velmo {
namespace kiv {

class IKivEventHandler;

// ---- client configuration -------------------------------------------------

struct LogConfig {
  const char* filePath = nullptr;
  uint32_t fileSizeInKB = 1024;
  int level = 1;
};

struct ProxyConfig {
  int proxyType = 0;
  const char* server = nullptr;
  uint16_t port = 0;
  const char* account = nullptr;
  const char* password = nullptr;
};

struct EncryptionConfig {
  int encryptionMode = 0;
  const char* encryptionKey = nullptr;
  uint8_t encryptionSalt[32] = {};
};

struct PrivateConfig {
  int serviceType = 0;
  const char** accessPointHosts = nullptr;
  size_t accessPointHostsCount = 0;
};

struct KivConfig {
  const char* appId = nullptr;
  const char* userId = nullptr;
  int areaCode = -1;
  int protocolType = 0;
  uint32_t presenceTimeout = 300;
  uint32_t heartbeatInterval = 5;
  uint32_t reconnectTimeout = 0;
  void* context = nullptr;
  bool useStringUserId = true;
  bool multipath = false;
  bool ispPolicyEnabled = false;
  IKivEventHandler* eventHandler = nullptr;
  LogConfig logConfig;
  ProxyConfig proxyConfig;
  EncryptionConfig encryptionConfig;
  PrivateConfig privateConfig;
};

// ---- request options ------------------------------------------------------

struct PublishOptions {
  int channelType = 1;
  int messageType = 0;
  const char* customType = nullptr;
  bool storeInHistory = false;
};

struct SubscribeOptions {
  bool withMessage = true;
  bool withMetadata = false;
  bool withPresence = true;
  bool withLock = false;
  bool beQuiet = false;
};

struct JoinChannelOptions {
  const char* token = nullptr;
  bool withMetadata = false;
  bool withPresence = true;
  bool withLock = false;
  bool beQuiet = false;
};

struct JoinTopicOptions {
  int qos = 0;
  int priority = 4;
  const char* meta = nullptr;
  bool syncWithMedia = false;
};

struct TopicMessageOptions {
  int messageType = 0;
  uint64_t sendTs = 0;
  const char* customType = nullptr;
};

struct TopicOptions {
  const char** users = nullptr;
  size_t userCount = 0;
};

struct PresenceOptions {
  bool includeUserId = true;
  bool includeState = false;
  const char* page = nullptr;
};

struct GetOnlineUsersOptions {
  bool includeUserId = true;
  bool includeState = false;
  const char* page = nullptr;
};

struct GetHistoryMessagesOptions {
  uint16_t messageCount = 100;
  uint64_t start = 0;
  uint64_t end = 0;
};

struct MetadataOptions {
  bool recordTs = false;
  bool recordUserId = false;
};

struct MetadataItem {
  const char* key = nullptr;
  const char* value = nullptr;
  const char* authorUserId = nullptr;
  int64_t revision = -1;
  int64_t updateTs = 0;
};

struct Metadata {
  int64_t majorRevision = -1;
  const MetadataItem* items = nullptr;
  size_t itemCount = 0;
};

struct StateItem {
  const char* key = nullptr;
  const char* value = nullptr;
};

// ---- events and results ---------------------------------------------------

struct MessageEvent {
  int channelType = 0;
  int messageType = 0;
  const char* channelName = nullptr;
  const char* channelTopic = nullptr;
  const char* message = nullptr;  // payload address, not NUL-terminated
  size_t messageLength = 0;
  const char* publisher = nullptr;
  const char* customType = nullptr;
  uint64_t timestamp = 0;
};

struct HistoryMessage {
  int messageType = 0;
  const char* publisher = nullptr;
  const char* message = nullptr;  // payload address, not NUL-terminated
  size_t messageLength = 0;
  const char* customType = nullptr;
  uint64_t timestamp = 0;
};

struct UserList {
  const char** users = nullptr;
  size_t userCount = 0;
};

struct UserState {
  const char* userId = nullptr;
  const StateItem* states = nullptr;
  size_t statesCount = 0;
};

struct IntervalInfo {
  UserList joinUserList;
  UserList leaveUserList;
  UserList timeoutUserList;
  const UserState* userStateList = nullptr;
  size_t userStateCount = 0;
};

struct SnapshotInfo {
  const UserState* userStateList = nullptr;
  size_t userCount = 0;
};

struct PresenceEvent {
  int type = 0;
  int channelType = 0;
  const char* channelName = nullptr;
  const char* publisher = nullptr;
  const StateItem* stateItems = nullptr;
  size_t stateItemCount = 0;
  IntervalInfo interval;
  SnapshotInfo snapshot;
  uint64_t timestamp = 0;
};

struct PublisherInfo {
  const char* publisherUserId = nullptr;
  const char* publisherMeta = nullptr;
};

struct TopicInfo {
  const char* topic = nullptr;
  const PublisherInfo* publishers = nullptr;
  size_t publisherCount = 0;
};

struct TopicEvent {
  int type = 0;
  const char* channelName = nullptr;
  const char* publisher = nullptr;
  const TopicInfo* topicInfos = nullptr;
  size_t topicInfoCount = 0;
  uint64_t timestamp = 0;
};

struct LockDetail {
  const char* lockName = nullptr;
  const char* owner = nullptr;
  uint32_t ttl = 0;
};

struct LockEvent {
  int channelType = 0;
  int eventType = 0;
  const char* channelName = nullptr;
  const LockDetail* lockDetailList = nullptr;
  size_t count = 0;
  uint64_t timestamp = 0;
};

struct StorageEvent {
  int channelType = 0;
  int storageType = 0;
  int eventType = 0;
  const char* target = nullptr;
  Metadata data;
  uint64_t timestamp = 0;
};

struct LinkStateEvent {
  int currentState = 0;
  int previousState = 0;
  int serviceType = 0;
  int operation = 0;
  int reasonCode = 0;
  const char* reason = nullptr;
  const char** affectedChannels = nullptr;
  size_t affectedChannelCount = 0;
  const char** unrestoredChannels = nullptr;
  size_t unrestoredChannelCount = 0;
  bool isResumed = false;
  uint64_t timestamp = 0;
};

struct ChannelList {
  const char** channels = nullptr;
  size_t channelCount = 0;
};

struct AffectedResources {
  ChannelList messageChannels;
};

struct TokenEvent {
  int eventType = 0;
  const char* reason = nullptr;
  AffectedResources affectedResources;
  uint64_t timestamp = 0;
};

struct ChannelInfo {
  const char* channelName = nullptr;
  int channelType = 0;
};

}  // namespace kiv
}  // namespace velmo
