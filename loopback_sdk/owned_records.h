// Owning copies of what events carry, and the SDK record views built from
// them inside a callback. A view points into the copy it was built from, so
// both live in the queued event until the callback returns.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "loopback_sdk/sdk_namespace.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

using StateMap = std::vector<std::pair<std::string, std::string>>;

struct UserStateCopy {
  std::string userId;
  StateMap states;
};

struct ItemCopy {
  std::string key;
  std::string value;
  std::string author;
  int64_t revision = 0;
  int64_t updateTs = 0;
};

struct MetadataCopy {
  int64_t majorRevision = 0;
  std::vector<ItemCopy> items;
};

struct LockCopy {
  std::string name;
  std::string owner;
  uint32_t ttl = 0;
};

struct TopicCopy {
  std::string topic;
  StateMap publishers;  // user id and meta
};

struct MessageCopy {
  int messageType = 0;
  std::string publisher;
  std::string payload;
  std::string customType;
  uint64_t timestamp = 0;
};

struct ChannelCopy {
  std::string name;
  int type = 0;
};

// Text that may come as null from the caller.
inline std::string text(const char* value) { return value ? std::string(value) : std::string(); }

std::vector<std::string> copyStrings(const char* const* values, size_t count);

class StringsView {
 public:
  explicit StringsView(const std::vector<std::string>& values);
  StringsView(const StringsView&) = delete;
  StringsView& operator=(const StringsView&) = delete;
  sdk::UserList userList() const;
  const char** data() { return pointers_.empty() ? nullptr : pointers_.data(); }
  size_t size() const { return pointers_.size(); }

 private:
  std::vector<const char*> pointers_;
};

class StateItemsView {
 public:
  explicit StateItemsView(const StateMap& states);
  StateItemsView(const StateItemsView&) = delete;
  StateItemsView& operator=(const StateItemsView&) = delete;
  const sdk::StateItem* data() const { return items_.empty() ? nullptr : items_.data(); }
  size_t size() const { return items_.size(); }

 private:
  std::vector<sdk::StateItem> items_;
};

class UserStatesView {
 public:
  explicit UserStatesView(const std::vector<UserStateCopy>& users);
  UserStatesView(const UserStatesView&) = delete;
  UserStatesView& operator=(const UserStatesView&) = delete;
  const sdk::UserState* data() const { return states_.empty() ? nullptr : states_.data(); }
  size_t size() const { return states_.size(); }

 private:
  std::vector<std::vector<sdk::StateItem>> items_;
  std::vector<sdk::UserState> states_;
};

class MetadataView {
 public:
  explicit MetadataView(const MetadataCopy& metadata);
  MetadataView(const MetadataView&) = delete;
  MetadataView& operator=(const MetadataView&) = delete;
  const sdk::Metadata& get() const { return metadata_; }

 private:
  std::vector<sdk::MetadataItem> items_;
  sdk::Metadata metadata_;
};

class LocksView {
 public:
  explicit LocksView(const std::vector<LockCopy>& locks);
  LocksView(const LocksView&) = delete;
  LocksView& operator=(const LocksView&) = delete;
  const sdk::LockDetail* data() const { return details_.empty() ? nullptr : details_.data(); }
  size_t size() const { return details_.size(); }

 private:
  std::vector<sdk::LockDetail> details_;
};

class TopicsView {
 public:
  explicit TopicsView(const std::vector<TopicCopy>& topics);
  TopicsView(const TopicsView&) = delete;
  TopicsView& operator=(const TopicsView&) = delete;
  const sdk::TopicInfo* data() const { return infos_.empty() ? nullptr : infos_.data(); }
  size_t size() const { return infos_.size(); }

 private:
  std::vector<std::vector<sdk::PublisherInfo>> publishers_;
  std::vector<sdk::TopicInfo> infos_;
};

class HistoryView {
 public:
  explicit HistoryView(const std::vector<MessageCopy>& messages);
  HistoryView(const HistoryView&) = delete;
  HistoryView& operator=(const HistoryView&) = delete;
  const sdk::HistoryMessage* data() const { return list_.empty() ? nullptr : list_.data(); }
  size_t size() const { return list_.size(); }

 private:
  std::vector<sdk::HistoryMessage> list_;
};

class ChannelsView {
 public:
  explicit ChannelsView(const std::vector<ChannelCopy>& channels);
  ChannelsView(const ChannelsView&) = delete;
  ChannelsView& operator=(const ChannelsView&) = delete;
  const sdk::ChannelInfo* data() const { return infos_.empty() ? nullptr : infos_.data(); }
  size_t size() const { return infos_.size(); }

 private:
  std::vector<sdk::ChannelInfo> infos_;
};

// A page of history, as both backends answer it.
struct HistoryPage {
  std::vector<MessageCopy> messages;  // newest first
  uint64_t newStart = 0;              // 0 when nothing older is left in the range
};

enum class MetadataOp { kSet, kUpdate, kRemove };

// One write as the caller asked for it, copied out of the SDK records.
struct MetadataWrite {
  MetadataOp op = MetadataOp::kSet;
  int64_t majorRevision = -1;   // negative: no check
  std::vector<ItemCopy> items;  // revision negative: no check
  bool recordTs = false;
  bool recordUserId = false;
};

// Copies the request; false when the item list is malformed.
bool readMetadataWrite(MetadataOp op, const sdk::Metadata& data,
                       const sdk::MetadataOptions& options, MetadataWrite& write);

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
