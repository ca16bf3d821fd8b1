// The stand-in's IKivStorage, whichever backend serves it: channel and user
// metadata, lock-guarded writes, and following a user's metadata.
#pragma once

#include <cstdint>

#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class SdkStorage final : public sdk::IKivStorage {
 public:
  explicit SdkStorage(FaceRequests& requests) : requests_(requests) {}

  int setChannelMetadata(const char* channelName, int channelType, const sdk::Metadata& data,
                         const sdk::MetadataOptions& options, const char* lockName,
                         uint64_t& requestId) override;
  int updateChannelMetadata(const char* channelName, int channelType, const sdk::Metadata& data,
                            const sdk::MetadataOptions& options, const char* lockName,
                            uint64_t& requestId) override;
  int removeChannelMetadata(const char* channelName, int channelType, const sdk::Metadata& data,
                            const sdk::MetadataOptions& options, const char* lockName,
                            uint64_t& requestId) override;
  int getChannelMetadata(const char* channelName, int channelType, uint64_t& requestId) override;
  int setUserMetadata(const char* userId, const sdk::Metadata& data,
                      const sdk::MetadataOptions& options, uint64_t& requestId) override;
  int updateUserMetadata(const char* userId, const sdk::Metadata& data,
                         const sdk::MetadataOptions& options, uint64_t& requestId) override;
  int removeUserMetadata(const char* userId, const sdk::Metadata& data,
                         const sdk::MetadataOptions& options, uint64_t& requestId) override;
  int getUserMetadata(const char* userId, uint64_t& requestId) override;
  int subscribeUserMetadata(const char* userId, uint64_t& requestId) override;
  int unsubscribeUserMetadata(const char* userId, uint64_t& requestId) override;

 private:
  int writeChannel(MetadataOp op, const char* channelName, int channelType,
                   const sdk::Metadata& data, const sdk::MetadataOptions& options,
                   const char* lockName, uint64_t& requestId);
  int writeUser(MetadataOp op, const char* userId, const sdk::Metadata& data,
                const sdk::MetadataOptions& options, uint64_t& requestId);
  int follow(const char* userId, bool start, uint64_t& requestId);

  FaceRequests& requests_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
