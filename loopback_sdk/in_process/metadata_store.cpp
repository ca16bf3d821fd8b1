#include "loopback_sdk/in_process/metadata_store.h"

#include "loopback_sdk/error_codes.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

int MetadataRecord::apply(const MetadataWrite& write, const std::string& writer, int64_t now) {
  if (write.majorRevision >= 0 && write.majorRevision != majorRevision_) return kRevisionMismatch;
  for (const ItemCopy& item : write.items) {
    auto existing = items_.find(item.key);
    const int64_t current = existing == items_.end() ? 0 : existing->second.revision;
    if (item.revision >= 0 && item.revision != current) return kRevisionMismatch;
    if (write.op == MetadataOp::kUpdate && existing == items_.end()) return kMetadataItemNotFound;
  }

  const int64_t revision = majorRevision_ + 1;
  if (write.op == MetadataOp::kRemove) {
    if (write.items.empty()) items_.clear();
    for (const ItemCopy& item : write.items) items_.erase(item.key);
  } else {
    for (const ItemCopy& item : write.items) {
      ItemCopy& stored = items_[item.key];
      stored.key = item.key;
      stored.value = item.value;
      stored.revision = revision;
      stored.author = write.recordUserId ? writer : std::string();
      stored.updateTs = write.recordTs ? now : 0;
    }
  }
  majorRevision_ = revision;
  return kOk;
}

MetadataCopy MetadataRecord::copy() const {
  MetadataCopy copy;
  copy.majorRevision = majorRevision_;
  for (const auto& entry : items_) copy.items.push_back(entry.second);
  return copy;
}

MetadataCopy MetadataStore::channelCopy(const ChannelKey& key) const {
  auto it = channels_.find(key);
  return it == channels_.end() ? MetadataCopy() : it->second.copy();
}

MetadataCopy MetadataStore::userCopy(const std::string& userId) const {
  auto it = users_.find(userId);
  return it == users_.end() ? MetadataCopy() : it->second.copy();
}

bool MetadataStore::unfollow(const std::string& userId, uint64_t clientId) {
  auto it = followers_.find(userId);
  if (it == followers_.end() || it->second.erase(clientId) == 0) return false;
  if (it->second.empty()) followers_.erase(it);
  return true;
}

void MetadataStore::unfollowAll(uint64_t clientId) {
  for (auto it = followers_.begin(); it != followers_.end();) {
    it->second.erase(clientId);
    it = it->second.empty() ? followers_.erase(it) : std::next(it);
  }
}

std::vector<uint64_t> MetadataStore::followers(const std::string& userId) const {
  auto it = followers_.find(userId);
  if (it == followers_.end()) return {};
  return std::vector<uint64_t>(it->second.begin(), it->second.end());
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
