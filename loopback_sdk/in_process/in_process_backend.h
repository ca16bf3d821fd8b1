// The in-process backend of one client: its requests run under the service's
// lock against the state every client of the process shares.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "loopback_sdk/backend.h"
#include "loopback_sdk/in_process/request.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

class InProcessBackend final : public Backend {
 public:
  // Registers the client with the process's service.
  explicit InProcessBackend(const BackendClient& client);
  ~InProcessBackend() override;

  int request(uint64_t requestId, Need need, const Body& body, const ResultEvent& result) override;

  int login() override;
  int logout() override;
  int dropLink(uint64_t& session) override;
  void relinkAfterDrop(uint64_t session) override;
  void release() override;
  std::vector<std::string> channelNames() override;
  uint64_t timestamp() override;
  int setTtlUnit(uint32_t milliseconds) override;

  int publish(const ChannelKey& channel, const MessageCopy& message, bool storeInHistory) override;
  int subscribe(const std::string& channel, const MemberOptions& options,
                std::vector<Event>& followUps) override;
  int unsubscribe(const std::string& channel) override;

  int listUsers(const ChannelKey& channel, size_t offset, std::vector<UserStateCopy>& users,
                std::string& nextPage) override;
  int listChannels(const std::string& userId, std::vector<ChannelCopy>& channels) override;
  int setState(const ChannelKey& channel, const StateMap& changes) override;
  int removeState(const ChannelKey& channel, const std::vector<std::string>& keys) override;
  int getState(const ChannelKey& channel, const std::string& userId, UserStateCopy& found) override;

  int historyPage(const ChannelKey& channel, uint16_t count, uint64_t start, uint64_t end,
                  HistoryPage& page) override;

  int writeMetadata(const ChannelKey& target, const MetadataWrite& write,
                    const std::string& lockName) override;
  int getMetadata(const ChannelKey& target, MetadataCopy& found) override;
  int followUserMetadata(const std::string& userId, bool follow,
                         std::vector<Event>& followUps) override;

  int setLock(const ChannelKey& channel, const std::string& name, uint32_t ttl) override;
  int getLocks(const ChannelKey& channel, std::vector<LockCopy>& locks) override;
  int removeLock(const ChannelKey& channel, const std::string& name) override;
  int acquireLock(const ChannelKey& channel, const std::string& name, bool retry,
                  uint64_t requestId, std::string& details) override;
  int releaseLock(const ChannelKey& channel, const std::string& name) override;
  int revokeLock(const ChannelKey& channel, const std::string& name,
                 const std::string& owner) override;

  const std::string& userId() const override { return userId_; }
  int streamJoin(const std::string& channel, const MemberOptions& options,
                 std::vector<Event>& followUps) override;
  int streamLeave(const std::string& channel) override;
  int joinTopic(const std::string& channel, const std::string& topic,
                const std::string& meta) override;
  int leaveTopic(const std::string& channel, const std::string& topic, std::string& meta) override;
  int publishTopic(const std::string& channel, const std::string& topic, int refusal,
                   const MessageCopy& message) override;
  int subscribeTopic(const std::string& channel, const std::string& topic,
                     const std::vector<std::string>& users,
                     TopicSubscribeOutcome& outcome) override;
  int unsubscribeTopic(const std::string& channel, const std::string& topic,
                       const std::vector<std::string>& users) override;
  int subscribedUsers(const std::string& channel, const std::string& topic,
                      std::vector<std::string>& users) override;
  void streamChannelReleased(const std::string& channel) override;

 private:
  // The running request's state; set only while its body runs, under the service lock.
  Request& current() { return *current_; }
  // An operation on one existing lock: found, then work(lock) gives the answer.
  template <typename Work>
  int onExistingLock(const ChannelKey& channel, const std::string& name, Work work);

  // Queues a change of the client's link to it, with the channels it is in.
  void postLinkChange(ServiceState& state, int previous, int current, int operation,
                      const char* reason, bool resumed = false);
  // The requester must have joined the stream channel.
  int checkJoined(const std::string& channel);

  const uint64_t clientId_;
  const std::string userId_;
  Request* current_ = nullptr;
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
