// A fake messaging SDK for benchmarks: every operation returns at once with a
// fixed request id and records nothing, so what is measured is the library.
#pragma once

#include <cstdint>

#include "velmo_kiv_sdk/kiv_interfaces.h"
#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace sdk = ::velmo::kiv;

// Every asynchronous operation hands out this id, so results keep one size.
constexpr uint64_t kRequestId = 1234567;

class NullStorage final : public sdk::IKivStorage {
 public:
  int setChannelMetadata(const char*, int, const sdk::Metadata&, const sdk::MetadataOptions&,
                         const char*, uint64_t& requestId) override;
  int updateChannelMetadata(const char*, int, const sdk::Metadata&, const sdk::MetadataOptions&,
                            const char*, uint64_t& requestId) override;
  int removeChannelMetadata(const char*, int, const sdk::Metadata&, const sdk::MetadataOptions&,
                            const char*, uint64_t& requestId) override;
  int getChannelMetadata(const char*, int, uint64_t& requestId) override;
  int setUserMetadata(const char*, const sdk::Metadata&, const sdk::MetadataOptions&,
                      uint64_t& requestId) override;
  int updateUserMetadata(const char*, const sdk::Metadata&, const sdk::MetadataOptions&,
                         uint64_t& requestId) override;
  int removeUserMetadata(const char*, const sdk::Metadata&, const sdk::MetadataOptions&,
                         uint64_t& requestId) override;
  int getUserMetadata(const char*, uint64_t& requestId) override;
  int subscribeUserMetadata(const char*, uint64_t& requestId) override;
  int unsubscribeUserMetadata(const char*, uint64_t& requestId) override;
};

class NullPresence final : public sdk::IKivPresence {
 public:
  int whoNow(const char*, int, const sdk::PresenceOptions&, uint64_t& requestId) override;
  int whereNow(const char*, uint64_t& requestId) override;
  int setState(const char*, int, const sdk::StateItem*, size_t, uint64_t& requestId) override;
  int removeState(const char*, int, const char**, size_t, uint64_t& requestId) override;
  int getState(const char*, int, const char*, uint64_t& requestId) override;
  int getOnlineUsers(const char*, int, const sdk::GetOnlineUsersOptions&,
                     uint64_t& requestId) override;
  int getUserChannels(const char*, uint64_t& requestId) override;
};

// Locks, history and stream channels are not measured: the client hands out
// none of them.
class NullClient final : public sdk::IKivClient {
 public:
  int release() override;
  int login(const char*, uint64_t& requestId) override;
  int logout(uint64_t& requestId) override;
  sdk::IKivStorage* getStorage() override;
  sdk::IKivLock* getLock() override;
  sdk::IKivPresence* getPresence() override;
  sdk::IKivHistory* getHistory() override;
  int renewToken(const char*, uint64_t& requestId) override;
  int publish(const char*, const char*, size_t, const sdk::PublishOptions&,
              uint64_t& requestId) override;
  int subscribe(const char*, const sdk::SubscribeOptions&, uint64_t& requestId) override;
  int unsubscribe(const char*, uint64_t& requestId) override;
  sdk::IStreamChannel* createStreamChannel(const char*, int* errorCode) override;
  int setParameters(const char*) override;

  // The event handler of the last configuration the factory received.
  sdk::IKivEventHandler* eventHandler() const { return eventHandler_; }
  void setEventHandler(sdk::IKivEventHandler* handler) { eventHandler_ = handler; }

 private:
  NullStorage storage_;
  NullPresence presence_;
  sdk::IKivEventHandler* eventHandler_ = nullptr;
};

// The one client of the process.
NullClient& nullClient();

// A factory that hands out nullClient() for CreateQuonKivEngineWithProcTable.
const KivProcTable* nullSdkProcTable();

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
