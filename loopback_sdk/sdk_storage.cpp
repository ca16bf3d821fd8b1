#include "loopback_sdk/sdk_storage.h"

#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using sdk::IKivEventHandler;

namespace {

using ChannelResult = void (IKivEventHandler::*)(uint64_t, const char*, int, int);

// The result callbacks of each kind of write.
struct WriteResults {
  ChannelResult channel;
  ChannelCallback user;
};

const WriteResults& resultsOf(MetadataOp op) {
  static const WriteResults set{&IKivEventHandler::onSetChannelMetadataResult,
                                &IKivEventHandler::onSetUserMetadataResult};
  static const WriteResults update{&IKivEventHandler::onUpdateChannelMetadataResult,
                                   &IKivEventHandler::onUpdateUserMetadataResult};
  static const WriteResults remove{&IKivEventHandler::onRemoveChannelMetadataResult,
                                   &IKivEventHandler::onRemoveUserMetadataResult};
  return op == MetadataOp::kUpdate ? update : op == MetadataOp::kRemove ? remove : set;
}

}  // namespace

int SdkStorage::writeChannel(MetadataOp op, const char* channelName, int channelType,
                             const sdk::Metadata& data, const sdk::MetadataOptions& options,
                             const char* lockName, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  const std::string lock = text(lockName);
  MetadataWrite write;
  const bool readable = readMetadataWrite(op, data, options, write);
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkMemberChannel(channel)) return code;
        if (!readable) return kInvalidArgument;
        return requests_.backend().writeMetadata(channel, write, lock);
      },
      [callback = resultsOf(op).channel, channel](uint64_t id, int code) -> Event {
        return [callback, id, channel, code](IKivEventHandler& h) {
          (h.*callback)(id, channel.name.c_str(), channel.type, code);
        };
      });
}

int SdkStorage::writeUser(MetadataOp op, const char* userId, const sdk::Metadata& data,
                          const sdk::MetadataOptions& options, uint64_t& requestId) {
  const std::string target = text(userId);
  MetadataWrite write;
  const bool readable = readMetadataWrite(op, data, options, write);
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (target.empty()) return kInvalidUserId;
        if (!readable) return kInvalidArgument;
        return requests_.backend().writeMetadata({kChannelUser, target}, write, "");
      },
      namedResult(resultsOf(op).user, target));
}

int SdkStorage::setChannelMetadata(const char* channelName, int channelType,
                                   const sdk::Metadata& data, const sdk::MetadataOptions& options,
                                   const char* lockName, uint64_t& requestId) {
  return writeChannel(MetadataOp::kSet, channelName, channelType, data, options, lockName,
                      requestId);
}

int SdkStorage::updateChannelMetadata(const char* channelName, int channelType,
                                      const sdk::Metadata& data,
                                      const sdk::MetadataOptions& options, const char* lockName,
                                      uint64_t& requestId) {
  return writeChannel(MetadataOp::kUpdate, channelName, channelType, data, options, lockName,
                      requestId);
}

int SdkStorage::removeChannelMetadata(const char* channelName, int channelType,
                                      const sdk::Metadata& data,
                                      const sdk::MetadataOptions& options, const char* lockName,
                                      uint64_t& requestId) {
  return writeChannel(MetadataOp::kRemove, channelName, channelType, data, options, lockName,
                      requestId);
}

int SdkStorage::getChannelMetadata(const char* channelName, int channelType, uint64_t& requestId) {
  const ChannelKey channel{channelType, text(channelName)};
  MetadataCopy found;
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (const int code = checkMemberChannel(channel)) return code;
        return requests_.backend().getMetadata(channel, found);
      },
      channelMetadataResult(found, channel));
}

int SdkStorage::setUserMetadata(const char* userId, const sdk::Metadata& data,
                                const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kSet, userId, data, options, requestId);
}

int SdkStorage::updateUserMetadata(const char* userId, const sdk::Metadata& data,
                                   const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kUpdate, userId, data, options, requestId);
}

int SdkStorage::removeUserMetadata(const char* userId, const sdk::Metadata& data,
                                   const sdk::MetadataOptions& options, uint64_t& requestId) {
  return writeUser(MetadataOp::kRemove, userId, data, options, requestId);
}

int SdkStorage::getUserMetadata(const char* userId, uint64_t& requestId) {
  const std::string target = text(userId);
  MetadataCopy found;
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>&) -> int {
        if (target.empty()) return kInvalidUserId;
        return requests_.backend().getMetadata({kChannelUser, target}, found);
      },
      userMetadataResult(found, target));
}

int SdkStorage::follow(const char* userId, bool start, uint64_t& requestId) {
  const std::string target = text(userId);
  return requests_.run(
      requestId, Need::kConnection,
      [&](std::vector<Event>& followUps) -> int {
        if (target.empty()) return kInvalidUserId;
        return requests_.backend().followUserMetadata(target, start, followUps);
      },
      namedResult(start ? &IKivEventHandler::onSubscribeUserMetadataResult
                        : &IKivEventHandler::onUnsubscribeUserMetadataResult,
                  target));
}

int SdkStorage::subscribeUserMetadata(const char* userId, uint64_t& requestId) {
  return follow(userId, true, requestId);
}

int SdkStorage::unsubscribeUserMetadata(const char* userId, uint64_t& requestId) {
  return follow(userId, false, requestId);
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
