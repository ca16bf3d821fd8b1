// Object interfaces of the messaging SDK. The SDK calls and is called through
// these vtables by position: the order of the virtual operations is part of
// the binary interface. The objects are owned by the SDK and end with
// release(), never with delete, so the interfaces have no virtual destructor.
//
// Every asynchronous operation returns an int that callers do not rely on and
// fills requestId (zeroed by the caller); the outcome arrives later through
// IKivEventHandler with the same id. Texts and records passed in need to stay
// valid only for the duration of the call.
#pragma once

#include "velmo_kiv_sdk/kiv_records.h"

namespace velmo {
namespace kiv {

class IStreamChannel {
 public:
  virtual int join(const JoinChannelOptions& options, uint64_t& requestId) = 0;
  virtual int renewToken(const char* token, uint64_t& requestId) = 0;
  virtual int leave(uint64_t& requestId) = 0;
  virtual const char* getChannelName() = 0;
  virtual int joinTopic(const char* topic, const JoinTopicOptions& options,
                        uint64_t& requestId) = 0;
  virtual int publishTopicMessage(const char* topic, const char* message, size_t length,
                                  const TopicMessageOptions& option, uint64_t& requestId) = 0;
  virtual int leaveTopic(const char* topic, uint64_t& requestId) = 0;
  virtual int subscribeTopic(const char* topic, const TopicOptions& options,
                             uint64_t& requestId) = 0;
  virtual int unsubscribeTopic(const char* topic, const TopicOptions& options,
                               uint64_t& requestId) = 0;
  virtual int getSubscribedUserList(const char* topic, uint64_t& requestId) = 0;
  virtual int setParameters(const char* parameters) = 0;
  virtual int release() = 0;

 protected:
  ~IStreamChannel() = default;
};

class IKivStorage {
 public:
  virtual int setChannelMetadata(const char* channelName, int channelType, const Metadata& data,
                                 const MetadataOptions& options, const char* lockName,
                                 uint64_t& requestId) = 0;
  virtual int updateChannelMetadata(const char* channelName, int channelType, const Metadata& data,
                                    const MetadataOptions& options, const char* lockName,
                                    uint64_t& requestId) = 0;
  virtual int removeChannelMetadata(const char* channelName, int channelType, const Metadata& data,
                                    const MetadataOptions& options, const char* lockName,
                                    uint64_t& requestId) = 0;
  virtual int getChannelMetadata(const char* channelName, int channelType, uint64_t& requestId) = 0;
  virtual int setUserMetadata(const char* userId, const Metadata& data,
                              const MetadataOptions& options, uint64_t& requestId) = 0;
  virtual int updateUserMetadata(const char* userId, const Metadata& data,
                                 const MetadataOptions& options, uint64_t& requestId) = 0;
  virtual int removeUserMetadata(const char* userId, const Metadata& data,
                                 const MetadataOptions& options, uint64_t& requestId) = 0;
  virtual int getUserMetadata(const char* userId, uint64_t& requestId) = 0;
  virtual int subscribeUserMetadata(const char* userId, uint64_t& requestId) = 0;
  virtual int unsubscribeUserMetadata(const char* userId, uint64_t& requestId) = 0;

 protected:
  ~IKivStorage() = default;
};

class IKivLock {
 public:
  virtual int setLock(const char* channelName, int channelType, const char* lockName, uint32_t ttl,
                      uint64_t& requestId) = 0;
  virtual int getLocks(const char* channelName, int channelType, uint64_t& requestId) = 0;
  virtual int removeLock(const char* channelName, int channelType, const char* lockName,
                         uint64_t& requestId) = 0;
  virtual int acquireLock(const char* channelName, int channelType, const char* lockName,
                          bool retry, uint64_t& requestId) = 0;
  virtual int releaseLock(const char* channelName, int channelType, const char* lockName,
                          uint64_t& requestId) = 0;
  virtual int revokeLock(const char* channelName, int channelType, const char* lockName,
                         const char* owner, uint64_t& requestId) = 0;

 protected:
  ~IKivLock() = default;
};

class IKivPresence {
 public:
  virtual int whoNow(const char* channelName, int channelType, const PresenceOptions& options,
                     uint64_t& requestId) = 0;
  virtual int whereNow(const char* userId, uint64_t& requestId) = 0;
  virtual int setState(const char* channelName, int channelType, const StateItem* items,
                       size_t count, uint64_t& requestId) = 0;
  virtual int removeState(const char* channelName, int channelType, const char** keys, size_t count,
                          uint64_t& requestId) = 0;
  virtual int getState(const char* channelName, int channelType, const char* userId,
                       uint64_t& requestId) = 0;
  virtual int getOnlineUsers(const char* channelName, int channelType,
                             const GetOnlineUsersOptions& options, uint64_t& requestId) = 0;
  virtual int getUserChannels(const char* userId, uint64_t& requestId) = 0;

 protected:
  ~IKivPresence() = default;
};

class IKivHistory {
 public:
  virtual int getMessages(const char* channelName, int channelType,
                          const GetHistoryMessagesOptions& options, uint64_t& requestId) = 0;

 protected:
  ~IKivHistory() = default;
};

class IKivClient {
 public:
  virtual int release() = 0;
  virtual int login(const char* token, uint64_t& requestId) = 0;
  virtual int logout(uint64_t& requestId) = 0;
  virtual IKivStorage* getStorage() = 0;
  virtual IKivLock* getLock() = 0;
  virtual IKivPresence* getPresence() = 0;
  virtual IKivHistory* getHistory() = 0;
  virtual int renewToken(const char* token, uint64_t& requestId) = 0;
  virtual int publish(const char* channelName, const char* message, size_t length,
                      const PublishOptions& options, uint64_t& requestId) = 0;
  virtual int subscribe(const char* channelName, const SubscribeOptions& options,
                        uint64_t& requestId) = 0;
  virtual int unsubscribe(const char* channelName, uint64_t& requestId) = 0;
  // Returns null on failure with the reason in *errorCode (errorCode may be null).
  virtual IStreamChannel* createStreamChannel(const char* channelName, int* errorCode) = 0;
  virtual int setParameters(const char* parameters) = 0;

 protected:
  ~IKivClient() = default;
};

}  // namespace kiv
}  // namespace velmo
