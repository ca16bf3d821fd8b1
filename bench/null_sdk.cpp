#include "bench/null_sdk.h"

#include "velmo_kiv_sdk/kiv_records.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

namespace {

int accepted(uint64_t& requestId) {
  requestId = kRequestId;
  return 0;
}

sdk::IKivClient* QUON_CALL createNullClient(const sdk::KivConfig* config, int* errorCode) {
  if (errorCode) *errorCode = 0;
  NullClient& client = nullClient();
  if (config) client.setEventHandler(config->eventHandler);
  return &client;
}

}  // namespace

int NullStorage::setChannelMetadata(const char*, int, const sdk::Metadata&,
                                    const sdk::MetadataOptions&, const char*, uint64_t& requestId) {
  return accepted(requestId);
}
int NullStorage::updateChannelMetadata(const char*, int, const sdk::Metadata&,
                                       const sdk::MetadataOptions&, const char*,
                                       uint64_t& requestId) {
  return accepted(requestId);
}
int NullStorage::removeChannelMetadata(const char*, int, const sdk::Metadata&,
                                       const sdk::MetadataOptions&, const char*,
                                       uint64_t& requestId) {
  return accepted(requestId);
}
int NullStorage::getChannelMetadata(const char*, int, uint64_t& requestId) {
  return accepted(requestId);
}
int NullStorage::setUserMetadata(const char*, const sdk::Metadata&, const sdk::MetadataOptions&,
                                 uint64_t& requestId) {
  return accepted(requestId);
}
int NullStorage::updateUserMetadata(const char*, const sdk::Metadata&, const sdk::MetadataOptions&,
                                    uint64_t& requestId) {
  return accepted(requestId);
}
int NullStorage::removeUserMetadata(const char*, const sdk::Metadata&, const sdk::MetadataOptions&,
                                    uint64_t& requestId) {
  return accepted(requestId);
}
int NullStorage::getUserMetadata(const char*, uint64_t& requestId) { return accepted(requestId); }
int NullStorage::subscribeUserMetadata(const char*, uint64_t& requestId) {
  return accepted(requestId);
}
int NullStorage::unsubscribeUserMetadata(const char*, uint64_t& requestId) {
  return accepted(requestId);
}

int NullPresence::whoNow(const char*, int, const sdk::PresenceOptions&, uint64_t& requestId) {
  return accepted(requestId);
}
int NullPresence::whereNow(const char*, uint64_t& requestId) { return accepted(requestId); }
int NullPresence::setState(const char*, int, const sdk::StateItem*, size_t, uint64_t& requestId) {
  return accepted(requestId);
}
int NullPresence::removeState(const char*, int, const char**, size_t, uint64_t& requestId) {
  return accepted(requestId);
}
int NullPresence::getState(const char*, int, const char*, uint64_t& requestId) {
  return accepted(requestId);
}
int NullPresence::getOnlineUsers(const char*, int, const sdk::GetOnlineUsersOptions&,
                                 uint64_t& requestId) {
  return accepted(requestId);
}
int NullPresence::getUserChannels(const char*, uint64_t& requestId) { return accepted(requestId); }

int NullClient::release() { return 0; }
int NullClient::login(const char*, uint64_t& requestId) { return accepted(requestId); }
int NullClient::logout(uint64_t& requestId) { return accepted(requestId); }
sdk::IKivStorage* NullClient::getStorage() { return &storage_; }
sdk::IKivLock* NullClient::getLock() { return nullptr; }
sdk::IKivPresence* NullClient::getPresence() { return &presence_; }
sdk::IKivHistory* NullClient::getHistory() { return nullptr; }
int NullClient::renewToken(const char*, uint64_t& requestId) { return accepted(requestId); }
int NullClient::publish(const char*, const char*, size_t, const sdk::PublishOptions&,
                        uint64_t& requestId) {
  return accepted(requestId);
}
int NullClient::subscribe(const char*, const sdk::SubscribeOptions&, uint64_t& requestId) {
  return accepted(requestId);
}
int NullClient::unsubscribe(const char*, uint64_t& requestId) { return accepted(requestId); }
sdk::IStreamChannel* NullClient::createStreamChannel(const char*, int* errorCode) {
  if (errorCode) *errorCode = -1;
  return nullptr;
}
int NullClient::setParameters(const char*) { return 0; }

NullClient& nullClient() {
  static NullClient* const client = new NullClient();  // outlives every engine
  return *client;
}

const KivProcTable* nullSdkProcTable() {
  static const KivProcTable table = {&createNullClient};
  return &table;
}

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
