// The Redis backend's IKivStorage: channel and user metadata kept by the
// shared service, so writers in every process see the same revisions.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "loopback_sdk/owned_records.h"
#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class RedisClient;

class RedisStorage final : public sdk::IKivStorage {
 public:
  explicit RedisStorage(RedisClient& client) : client_(client) {}

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
  // The service's write of one store (channel type 3: a user's metadata).
  int write(const MetadataWrite& write, int channelType, const std::string& name,
            const std::string& lockName);
  int follow(const char* op, const std::string& userId, uint64_t& requestId,
             void (sdk::IKivEventHandler::*callback)(uint64_t, const char*, int));

  RedisClient& client_;
};

// Runs an operation of the shared service whose events for the requester
// itself come before its result (the in-process service queues them at once).
int callWithOwnEvents(RedisClient& client, const std::string& op,
                      std::vector<std::string> arguments, nlohmann::json* data = nullptr);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
