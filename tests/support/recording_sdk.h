// A fake messaging SDK for tests. Every operation records its name and its
// arguments, deep-copied into JSON, and answers with configurable values, so a
// test can check exactly what the library handed to the SDK.
//
// Argument JSON: one key per parameter name of the SDK interface (the request
// id excluded); strings copied, null strings as null, records expanded field
// by field (null strings as null, 64-bit values and addresses as plain
// numbers), arrays expanded element by element with their count, payload
// addresses as numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "velmo_kiv_sdk/kiv_event_handler.h"
#include "velmo_kiv_sdk/kiv_interfaces.h"
#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {

using json = nlohmann::json;

struct SdkCall {
  std::string op;  // "IKivLock::setLock", "IStreamChannel::join", "createKivClient", ...
  json args;       // the arguments by parameter name; an object, possibly empty
  int target = 0;  // id of the client or stream channel called; 0 for the others
  std::optional<uint64_t> requestIdIn;  // an out request id as the caller passed it
};

class FakeKivClient;
class FakeStreamChannel;

enum class SubInterface { Storage, Lock, Presence, History };

class RecordingSdk {
 public:
  // The newest RecordingSdk is the one that procTable() creates clients with.
  RecordingSdk();
  ~RecordingSdk();
  RecordingSdk(const RecordingSdk&) = delete;
  RecordingSdk& operator=(const RecordingSdk&) = delete;

  // The client factory for CreateQuonKivEngineWithProcTable. It records
  // "createKivClient" with {"config": <the KivConfig>} and hands out a new
  // client, or null with the error code set by failClientCreation().
  static const KivProcTable* procTable();

  // A client made without the factory, for CreateQuonKivEngine.
  ::velmo::kiv::IKivClient* newClient();

  // ---- what the SDK received ----
  std::vector<SdkCall> calls() const;
  std::vector<SdkCall> calls(const std::string& op) const;
  size_t callCount() const;
  void clearCalls();

  // ---- how it answers ----
  // Asynchronous operations hand out ids increasing from this one (default 1).
  void setNextRequestId(uint64_t id);
  // The int an operation returns ("IKivClient::release", ...); default 0.
  void setReturn(const std::string& op, int value);
  // errorCode 0 makes the factory succeed again.
  void failClientCreation(int errorCode);
  // IKivClient::createStreamChannel returns null with this code; 0 succeeds.
  void failChannelCreation(int errorCode);
  // getStorage / getLock / getPresence / getHistory return null.
  void withholdInterface(SubInterface which, bool withheld = true);
  // Runs inside every recorded operation, after recording, on the caller's
  // thread and without any lock of the fake held.
  void setCallHook(std::function<void(const SdkCall&)> hook);

  // ---- objects handed out ----
  size_t clientCount() const;
  FakeKivClient* client(size_t index) const;  // in creation order
  size_t channelCount() const;
  FakeStreamChannel* channel(size_t index) const;  // in creation order
  // The event handler of the last KivConfig the factory received; the test
  // can fire callbacks through it.
  ::velmo::kiv::IKivEventHandler* eventHandler() const;

  // ---- used by the fake objects ----
  int record(const char* op, int target, json args, uint64_t* requestId = nullptr);
  ::velmo::kiv::IKivClient* createClient(const ::velmo::kiv::KivConfig* config, int* errorCode);
  ::velmo::kiv::IStreamChannel* createChannel(const char* name, int* errorCode);

 private:
  friend class FakeKivClient;
  int returnFor(const std::string& op) const;

  mutable std::mutex mutex_;
  std::vector<SdkCall> calls_;
  std::map<std::string, int> returns_;
  uint64_t nextRequestId_ = 1;
  int clientFailure_ = 0;
  int channelFailure_ = 0;
  bool withheld_[4] = {};
  std::function<void(const SdkCall&)> hook_;
  ::velmo::kiv::IKivEventHandler* eventHandler_ = nullptr;

  std::vector<std::unique_ptr<FakeKivClient>> clients_;
  std::vector<std::unique_ptr<FakeStreamChannel>> channels_;
  struct SubObjects;
  std::unique_ptr<SubObjects> subs_;
};

// A stream channel handed out by IKivClient::createStreamChannel.
class FakeStreamChannel final : public ::velmo::kiv::IStreamChannel {
 public:
  FakeStreamChannel(RecordingSdk& sdk, int id, std::optional<std::string> name)
      : sdk_(sdk), id_(id), name_(std::move(name)) {}
  ~FakeStreamChannel() = default;

  int id() const { return id_; }
  // What getChannelName returns; nullopt for a null pointer. Any bytes, valid
  // UTF-8 or not. Defaults to the name the channel was created with.
  void setName(std::optional<std::string> name) { name_ = std::move(name); }

  int join(const ::velmo::kiv::JoinChannelOptions& options, uint64_t& requestId) override;
  int renewToken(const char* token, uint64_t& requestId) override;
  int leave(uint64_t& requestId) override;
  const char* getChannelName() override;
  int joinTopic(const char* topic, const ::velmo::kiv::JoinTopicOptions& options,
                uint64_t& requestId) override;
  int publishTopicMessage(const char* topic, const char* message, size_t length,
                          const ::velmo::kiv::TopicMessageOptions& option,
                          uint64_t& requestId) override;
  int leaveTopic(const char* topic, uint64_t& requestId) override;
  int subscribeTopic(const char* topic, const ::velmo::kiv::TopicOptions& options,
                     uint64_t& requestId) override;
  int unsubscribeTopic(const char* topic, const ::velmo::kiv::TopicOptions& options,
                       uint64_t& requestId) override;
  int getSubscribedUserList(const char* topic, uint64_t& requestId) override;
  int setParameters(const char* parameters) override;
  int release() override;

 private:
  RecordingSdk& sdk_;
  int id_;
  std::optional<std::string> name_;
};

// A client handed out by the factory or by RecordingSdk::newClient. Its
// sub-interfaces are shared by every client of the same RecordingSdk.
class FakeKivClient final : public ::velmo::kiv::IKivClient {
 public:
  FakeKivClient(RecordingSdk& sdk, int id) : sdk_(sdk), id_(id) {}
  ~FakeKivClient() = default;

  int id() const { return id_; }

  int release() override;
  int login(const char* token, uint64_t& requestId) override;
  int logout(uint64_t& requestId) override;
  ::velmo::kiv::IKivStorage* getStorage() override;
  ::velmo::kiv::IKivLock* getLock() override;
  ::velmo::kiv::IKivPresence* getPresence() override;
  ::velmo::kiv::IKivHistory* getHistory() override;
  int renewToken(const char* token, uint64_t& requestId) override;
  int publish(const char* channelName, const char* message, size_t length,
              const ::velmo::kiv::PublishOptions& options, uint64_t& requestId) override;
  int subscribe(const char* channelName, const ::velmo::kiv::SubscribeOptions& options,
                uint64_t& requestId) override;
  int unsubscribe(const char* channelName, uint64_t& requestId) override;
  ::velmo::kiv::IStreamChannel* createStreamChannel(const char* channelName,
                                                    int* errorCode) override;
  int setParameters(const char* parameters) override;

 private:
  RecordingSdk& sdk_;
  int id_;
};

// The JSON form the fake records for a record (exposed so that tests can
// build expectations, for example of a default KivConfig).
json describeRecord(const ::velmo::kiv::KivConfig& config);

}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
