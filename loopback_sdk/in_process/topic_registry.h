// Topics of stream channels: who publishes in each topic (joined it) and who
// subscribed to which of its publishers.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/owned_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

// A topic the client published in, as it was when the client left it.
struct LeftTopic {
  std::string topic;
  std::string meta;
};

class TopicRegistry {
 public:
  // Joins as a publisher; joining again replaces the meta.
  void join(const std::string& channel, const std::string& topic, uint64_t clientId,
            const std::string& userId, const std::string& meta);
  // False when the client does not publish in the topic; meta receives its meta.
  bool leave(const std::string& channel, const std::string& topic, uint64_t clientId,
             std::string& meta);
  bool publishes(const std::string& channel, const std::string& topic, uint64_t clientId) const;

  // No users: every present and future publisher. Named users succeed when they
  // publish in the topic now, and fail otherwise.
  TopicSubscribeOutcome subscribe(const std::string& channel, const std::string& topic,
                                  uint64_t clientId, const std::vector<std::string>& users);
  // No users: the whole subscription. False when the client had none.
  bool unsubscribe(const std::string& channel, const std::string& topic, uint64_t clientId,
                   const std::vector<std::string>& users);
  std::vector<std::string> subscribedUsers(const std::string& channel, const std::string& topic,
                                           uint64_t clientId) const;
  // Subscribers that receive a message of this publisher (never the publisher).
  std::vector<uint64_t> recipients(const std::string& channel, const std::string& topic,
                                   uint64_t publisherClient,
                                   const std::string& publisherUser) const;

  std::vector<TopicCopy> snapshot(const std::string& channel) const;
  // Takes the client out of every topic of the channel; returns what it published in.
  std::vector<LeftTopic> removeClient(const std::string& channel, uint64_t clientId);

 private:
  struct Publisher {
    uint64_t clientId = 0;
    std::string userId;
    std::string meta;
  };
  struct Subscription {
    bool allPublishers = false;
    std::set<std::string> users;
  };
  struct Topic {
    std::vector<Publisher> publishers;
    std::map<uint64_t, Subscription> subscribers;
    bool empty() const { return publishers.empty() && subscribers.empty(); }
  };
  using Topics = std::map<std::string, Topic>;

  const Topic* findTopic(const std::string& channel, const std::string& topic) const;
  void dropIfEmpty(const std::string& channel, const std::string& topic);

  std::map<std::string, Topics> channels_;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
