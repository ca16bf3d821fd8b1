// Channel and user metadata with major and item revisions, and who follows
// which user's metadata.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "loopback_sdk/channel_key.h"
#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class MetadataRecord {
 public:
  // Applies the whole write or nothing; returns the error code.
  int apply(const MetadataWrite& write, const std::string& writer, int64_t now);
  MetadataCopy copy() const;

 private:
  int64_t majorRevision_ = 0;
  std::map<std::string, ItemCopy> items_;
};

class MetadataStore {
 public:
  MetadataRecord& channel(const ChannelKey& key) { return channels_[key]; }
  MetadataRecord& user(const std::string& userId) { return users_[userId]; }
  MetadataCopy channelCopy(const ChannelKey& key) const;
  MetadataCopy userCopy(const std::string& userId) const;

  void follow(const std::string& userId, uint64_t clientId) { followers_[userId].insert(clientId); }
  bool unfollow(const std::string& userId, uint64_t clientId);
  void unfollowAll(uint64_t clientId);
  std::vector<uint64_t> followers(const std::string& userId) const;

 private:
  std::map<ChannelKey, MetadataRecord> channels_;
  std::map<std::string, MetadataRecord> users_;
  std::map<std::string, std::set<uint64_t>> followers_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
