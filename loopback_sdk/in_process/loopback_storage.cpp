#include "loopback_sdk/in_process/loopback_storage.h"

#include "loopback_sdk/in_process/channel_flows.h"
#include "loopback_sdk/in_process/request.h"
#include "loopback_sdk/notices.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

int storageEventType(MetadataOp op) {
  switch (op) {
    case MetadataOp::kSet:
      return kStorageSet;
    case MetadataOp::kUpdate:
      return kStorageUpdate;
    case MetadataOp::kRemove:
      return kStorageRemove;
  }
  return kStorageSet;
}

// A lock-guarded write needs the named lock of that channel held by the writer.
int checkWriteLock(ServiceState& state, const ChannelKey& channel, const std::string& lockName,
                   uint64_t clientId) {
  if (lockName.empty()) return kOk;
  const LockEntry* lock = state.locks.find(channel, lockName);
  if (!lock) return kLockNotFound;
  return lock->ownerClient == clientId ? kOk : kLockNotHeld;
}

using ChannelResult = void (IKivEventHandler::*)(uint64_t, const char*, int, int);
using UserResult = void (IKivEventHandler::*)(uint64_t, const char*, int);

ChannelResult channelResultOf(MetadataOp op) {
  switch (op) {
    case MetadataOp::kSet:
      return &IKivEventHandler::onSetChannelMetadataResult;
    case MetadataOp::kUpdate:
      return &IKivEventHandler::onUpdateChannelMetadataResult;
    case MetadataOp::kRemove:
      return &IKivEventHandler::onRemoveChannelMetadataResult;
  }
  return &IKivEventHandler::onSetChannelMetadataResult;
}

UserResult userResultOf(MetadataOp op) {
  switch (op) {
    case MetadataOp::kSet:
      return &IKivEventHandler::onSetUserMetadataResult;
    case MetadataOp::kUpdate:
      return &IKivEventHandler::onUpdateUserMetadataResult;
    case MetadataOp::kRemove:
      return &IKivEventHandler::onRemoveUserMetadataResult;
  }
  return &IKivEventHandler::onSetUserMetadataResult;
}

}  // namespace

int LoopbackStorage::writeChannel(MetadataOp op, const char* channelName, int channelType,
                                  const sdk::Metadata& data, const sdk::MetadataOptions& options,
                                  const char* lockName, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string lock = text(lockName);
  MetadataWrite write;
  const bool readable = readMetadataWrite(op, data, options, write);
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkMetadataChannel(channel)) return code;
        if (!readable) return kInvalidArgument;
        if (const int code = checkWriteLock(r.state, channel, lock, r.client.id)) return code;
        const int64_t now = static_cast<int64_t>(r.state.timestamp());
        if (const int code = r.state.metadata.channel(channel).apply(write, r.client.userId, now))
          return code;
        notifyMembers(
            r.state, channel, Interest::kMetadata, 0,
            storageEvent(channel.type, kStorageChannel, storageEventType(op), channel.name,
                         r.state.metadata.channelCopy(channel), r.state.timestamp()));
        return kOk;
      },
      [callback = channelResultOf(op), channel](uint64_t id, int code) -> Event {
        return [callback, id, channel, code](IKivEventHandler& h) {
          (h.*callback)(id, channel.name.c_str(), channel.type, code);
        };
      });
}

int LoopbackStorage::writeUser(MetadataOp op, const char* userId, const sdk::Metadata& data,
                               const sdk::MetadataOptions& options, uint64_t& requestId) {
  const std::string target = text(userId);
  MetadataWrite write;
  const bool readable = readMetadataWrite(op, data, options, write);
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (target.empty()) return kInvalidUserId;
        if (!readable) return kInvalidArgument;
        const int64_t now = static_cast<int64_t>(r.state.timestamp());
        if (const int code = r.state.metadata.user(target).apply(write, r.client.userId, now))
          return code;
        const Event event = storageEvent(kChannelUser, kStorageUser, storageEventType(op), target,
                                         r.state.metadata.userCopy(target), r.state.timestamp());
        for (uint64_t follower : r.state.metadata.followers(target))
          r.state.clients.notify(follower, event);
        return kOk;
      },
      namedResult(userResultOf(op), target));
}

int LoopbackStorage::setChannelMetadata(const char* channelName, int channelType,
                                        const sdk::Metadata& data,
                                        const sdk::MetadataOptions& options, const char* lockName,
                                        uint64_t& requestId) {
  return writeChannel(MetadataOp::kSet, channelName, channelType, data, options, lockName,
                      requestId);
}

int LoopbackStorage::updateChannelMetadata(const char* channelName, int channelType,
                                           const sdk::Metadata& data,
                                           const sdk::MetadataOptions& options,
                                           const char* lockName, uint64_t& requestId) {
  return writeChannel(MetadataOp::kUpdate, channelName, channelType, data, options, lockName,
                      requestId);
}

int LoopbackStorage::removeChannelMetadata(const char* channelName, int channelType,
                                           const sdk::Metadata& data,
                                           const sdk::MetadataOptions& options,
                                           const char* lockName, uint64_t& requestId) {
  return writeChannel(MetadataOp::kRemove, channelName, channelType, data, options, lockName,
                      requestId);
}

int LoopbackStorage::getChannelMetadata(const char* channelName, int channelType,
                                        uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  MetadataCopy found;
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (const int code = checkMetadataChannel(channel)) return code;
        found = r.state.metadata.channelCopy(channel);
        return kOk;
      },
      channelMetadataResult(found, channel));
}

int LoopbackStorage::setUserMetadata(const char* userId, const sdk::Metadata& data,
                                     const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kSet, userId, data, options, requestId);
}

int LoopbackStorage::updateUserMetadata(const char* userId, const sdk::Metadata& data,
                                        const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kUpdate, userId, data, options, requestId);
}

int LoopbackStorage::removeUserMetadata(const char* userId, const sdk::Metadata& data,
                                        const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kRemove, userId, data, options, requestId);
}

int LoopbackStorage::getUserMetadata(const char* userId, uint64_t& requestId) {
  const std::string target = text(userId);
  MetadataCopy found;
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (target.empty()) return kInvalidUserId;
        found = r.state.metadata.userCopy(target);
        return kOk;
      },
      userMetadataResult(found, target));
}

int LoopbackStorage::subscribeUserMetadata(const char* userId, uint64_t& requestId) {
  const std::string target = text(userId);
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (target.empty()) return kInvalidUserId;
        r.state.metadata.follow(target, r.client.id);
        r.followUps.push_back(storageEvent(kChannelUser, kStorageUser, kStorageSnapshot, target,
                                           r.state.metadata.userCopy(target), r.state.timestamp()));
        return kOk;
      },
      namedResult(&IKivEventHandler::onSubscribeUserMetadataResult, target));
}

int LoopbackStorage::unsubscribeUserMetadata(const char* userId, uint64_t& requestId) {
  const std::string target = text(userId);
  return runRequest(
      clientId_, requestId, Need::kConnection,
      [&](Request& r) -> int {
        if (target.empty()) return kInvalidUserId;
        r.state.metadata.unfollow(target, r.client.id);
        return kOk;
      },
      namedResult(&IKivEventHandler::onUnsubscribeUserMetadataResult, target));
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
