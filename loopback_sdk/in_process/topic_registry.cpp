#include "loopback_sdk/in_process/topic_registry.h"

#include <algorithm>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

const TopicRegistry::Topic* TopicRegistry::findTopic(const std::string& channel,
                                                     const std::string& topic) const {
  auto it = channels_.find(channel);
  if (it == channels_.end()) return nullptr;
  auto found = it->second.find(topic);
  return found == it->second.end() ? nullptr : &found->second;
}

void TopicRegistry::dropIfEmpty(const std::string& channel, const std::string& topic) {
  auto it = channels_.find(channel);
  if (it == channels_.end()) return;
  auto found = it->second.find(topic);
  if (found != it->second.end() && found->second.empty()) it->second.erase(found);
  if (it->second.empty()) channels_.erase(it);
}

void TopicRegistry::join(const std::string& channel, const std::string& topic, uint64_t clientId,
                         const std::string& userId, const std::string& meta) {
  auto& publishers = channels_[channel][topic].publishers;
  for (Publisher& publisher : publishers) {
    if (publisher.clientId == clientId) {
      publisher.meta = meta;
      return;
    }
  }
  publishers.push_back({clientId, userId, meta});
}

bool TopicRegistry::leave(const std::string& channel, const std::string& topic, uint64_t clientId,
                          std::string& meta) {
  auto it = channels_.find(channel);
  if (it == channels_.end()) return false;
  auto found = it->second.find(topic);
  if (found == it->second.end()) return false;
  auto& publishers = found->second.publishers;
  auto publisher = std::find_if(publishers.begin(), publishers.end(),
                                [clientId](const Publisher& p) { return p.clientId == clientId; });
  if (publisher == publishers.end()) return false;
  meta = publisher->meta;
  publishers.erase(publisher);
  dropIfEmpty(channel, topic);
  return true;
}

bool TopicRegistry::publishes(const std::string& channel, const std::string& topic,
                              uint64_t clientId) const {
  const Topic* found = findTopic(channel, topic);
  if (!found) return false;
  return std::any_of(found->publishers.begin(), found->publishers.end(),
                     [clientId](const Publisher& p) { return p.clientId == clientId; });
}

TopicSubscribeOutcome TopicRegistry::subscribe(const std::string& channel, const std::string& topic,
                                               uint64_t clientId,
                                               const std::vector<std::string>& users) {
  TopicSubscribeOutcome outcome;
  Topic& entry = channels_[channel][topic];
  auto isPublisher = [&entry](const std::string& user) {
    return std::any_of(entry.publishers.begin(), entry.publishers.end(),
                       [&user](const Publisher& p) { return p.userId == user; });
  };
  if (users.empty()) {
    entry.subscribers[clientId].allPublishers = true;
    outcome.succeeded = subscribedUsers(channel, topic, clientId);
    return outcome;
  }
  for (const std::string& user : users) {
    if (isPublisher(user)) {
      entry.subscribers[clientId].users.insert(user);
      outcome.succeeded.push_back(user);
    } else {
      outcome.failed.push_back(user);
    }
  }
  dropIfEmpty(channel, topic);
  return outcome;
}

bool TopicRegistry::unsubscribe(const std::string& channel, const std::string& topic,
                                uint64_t clientId, const std::vector<std::string>& users) {
  auto it = channels_.find(channel);
  if (it == channels_.end()) return false;
  auto found = it->second.find(topic);
  if (found == it->second.end()) return false;
  auto subscription = found->second.subscribers.find(clientId);
  if (subscription == found->second.subscribers.end()) return false;
  if (users.empty()) {
    found->second.subscribers.erase(subscription);
  } else {
    for (const std::string& user : users) subscription->second.users.erase(user);
    if (!subscription->second.allPublishers && subscription->second.users.empty())
      found->second.subscribers.erase(subscription);
  }
  dropIfEmpty(channel, topic);
  return true;
}

std::vector<std::string> TopicRegistry::subscribedUsers(const std::string& channel,
                                                        const std::string& topic,
                                                        uint64_t clientId) const {
  std::vector<std::string> users;
  const Topic* found = findTopic(channel, topic);
  if (!found) return users;
  auto subscription = found->subscribers.find(clientId);
  if (subscription == found->subscribers.end()) return users;
  if (!subscription->second.allPublishers)
    return std::vector<std::string>(subscription->second.users.begin(),
                                    subscription->second.users.end());
  for (const Publisher& publisher : found->publishers)
    if (publisher.clientId != clientId &&
        std::find(users.begin(), users.end(), publisher.userId) == users.end())
      users.push_back(publisher.userId);
  return users;
}

std::vector<uint64_t> TopicRegistry::recipients(const std::string& channel,
                                                const std::string& topic, uint64_t publisherClient,
                                                const std::string& publisherUser) const {
  std::vector<uint64_t> clients;
  const Topic* found = findTopic(channel, topic);
  if (!found) return clients;
  for (const auto& [clientId, subscription] : found->subscribers) {
    if (clientId == publisherClient) continue;
    if (subscription.allPublishers || subscription.users.count(publisherUser))
      clients.push_back(clientId);
  }
  return clients;
}

std::vector<TopicCopy> TopicRegistry::snapshot(const std::string& channel) const {
  std::vector<TopicCopy> topics;
  auto it = channels_.find(channel);
  if (it == channels_.end()) return topics;
  for (const auto& [name, topic] : it->second) {
    if (topic.publishers.empty()) continue;
    TopicCopy copy;
    copy.topic = name;
    for (const Publisher& publisher : topic.publishers)
      copy.publishers.emplace_back(publisher.userId, publisher.meta);
    topics.push_back(std::move(copy));
  }
  return topics;
}

std::vector<LeftTopic> TopicRegistry::removeClient(const std::string& channel, uint64_t clientId) {
  std::vector<LeftTopic> left;
  auto it = channels_.find(channel);
  if (it == channels_.end()) return left;
  std::vector<std::string> names;
  for (const auto& entry : it->second) names.push_back(entry.first);
  for (const std::string& name : names) {
    std::string meta;
    if (leave(channel, name, clientId, meta)) left.push_back({name, meta});
    auto channelIt = channels_.find(channel);
    if (channelIt == channels_.end()) break;
    auto topic = channelIt->second.find(name);
    if (topic == channelIt->second.end()) continue;
    topic->second.subscribers.erase(clientId);
    dropIfEmpty(channel, name);
  }
  return left;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
