#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

namespace {

std::vector<sdk::StateItem> stateItems(const StateMap& states) {
  std::vector<sdk::StateItem> items;
  items.reserve(states.size());
  for (const auto& [key, value] : states) {
    sdk::StateItem item;
    item.key = key.c_str();
    item.value = value.c_str();
    items.push_back(item);
  }
  return items;
}

}  // namespace

std::vector<std::string> copyStrings(const char* const* values, size_t count) {
  std::vector<std::string> copies;
  if (!values) return copies;
  copies.reserve(count);
  for (size_t i = 0; i < count; ++i) copies.push_back(text(values[i]));
  return copies;
}

StringsView::StringsView(const std::vector<std::string>& values) {
  pointers_.reserve(values.size());
  for (const std::string& value : values) pointers_.push_back(value.c_str());
}

sdk::UserList StringsView::userList() const {
  sdk::UserList list;
  list.users = pointers_.empty() ? nullptr : const_cast<const char**>(pointers_.data());
  list.userCount = pointers_.size();
  return list;
}

StateItemsView::StateItemsView(const StateMap& states) : items_(stateItems(states)) {}

UserStatesView::UserStatesView(const std::vector<UserStateCopy>& users) {
  items_.reserve(users.size());
  for (const UserStateCopy& user : users) items_.push_back(stateItems(user.states));
  states_.reserve(users.size());
  for (size_t i = 0; i < users.size(); ++i) {
    sdk::UserState state;
    state.userId = users[i].userId.c_str();
    state.states = items_[i].empty() ? nullptr : items_[i].data();
    state.statesCount = items_[i].size();
    states_.push_back(state);
  }
}

MetadataView::MetadataView(const MetadataCopy& metadata) {
  items_.reserve(metadata.items.size());
  for (const ItemCopy& copy : metadata.items) {
    sdk::MetadataItem item;
    item.key = copy.key.c_str();
    item.value = copy.value.c_str();
    item.authorUserId = copy.author.c_str();
    item.revision = copy.revision;
    item.updateTs = copy.updateTs;
    items_.push_back(item);
  }
  metadata_.majorRevision = metadata.majorRevision;
  metadata_.items = items_.empty() ? nullptr : items_.data();
  metadata_.itemCount = items_.size();
}

LocksView::LocksView(const std::vector<LockCopy>& locks) {
  details_.reserve(locks.size());
  for (const LockCopy& lock : locks) {
    sdk::LockDetail detail;
    detail.lockName = lock.name.c_str();
    detail.owner = lock.owner.c_str();
    detail.ttl = lock.ttl;
    details_.push_back(detail);
  }
}

TopicsView::TopicsView(const std::vector<TopicCopy>& topics) {
  publishers_.reserve(topics.size());
  for (const TopicCopy& topic : topics) {
    std::vector<sdk::PublisherInfo> publishers;
    for (const auto& [user, meta] : topic.publishers) {
      sdk::PublisherInfo info;
      info.publisherUserId = user.c_str();
      info.publisherMeta = meta.c_str();
      publishers.push_back(info);
    }
    publishers_.push_back(std::move(publishers));
  }
  infos_.reserve(topics.size());
  for (size_t i = 0; i < topics.size(); ++i) {
    sdk::TopicInfo info;
    info.topic = topics[i].topic.c_str();
    info.publishers = publishers_[i].empty() ? nullptr : publishers_[i].data();
    info.publisherCount = publishers_[i].size();
    infos_.push_back(info);
  }
}

HistoryView::HistoryView(const std::vector<MessageCopy>& messages) {
  list_.reserve(messages.size());
  for (const MessageCopy& copy : messages) {
    sdk::HistoryMessage message;
    message.messageType = copy.messageType;
    message.publisher = copy.publisher.c_str();
    message.message = copy.payload.data();
    message.messageLength = copy.payload.size();
    message.customType = copy.customType.c_str();
    message.timestamp = copy.timestamp;
    list_.push_back(message);
  }
}

ChannelsView::ChannelsView(const std::vector<ChannelCopy>& channels) {
  infos_.reserve(channels.size());
  for (const ChannelCopy& channel : channels) {
    sdk::ChannelInfo info;
    info.channelName = channel.name.c_str();
    info.channelType = channel.type;
    infos_.push_back(info);
  }
}

bool readMetadataWrite(MetadataOp op, const sdk::Metadata& data,
                       const sdk::MetadataOptions& options, MetadataWrite& write) {
  if (data.itemCount > 0 && !data.items) return false;
  write.op = op;
  write.majorRevision = data.majorRevision;
  write.recordTs = options.recordTs;
  write.recordUserId = options.recordUserId;
  for (size_t i = 0; i < data.itemCount; ++i) {
    const sdk::MetadataItem& item = data.items[i];
    if (!item.key || !*item.key) return false;
    ItemCopy copy;
    copy.key = item.key;
    copy.value = text(item.value);
    copy.revision = item.revision;
    write.items.push_back(std::move(copy));
  }
  return true;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
