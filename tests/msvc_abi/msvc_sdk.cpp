// A stand-in velmo_kiv_sdk.dll built as the vendor's is: in MSVC's ABI (by
// clang for the MSVC target, with no C runtime). It exports the three entries
// by ordinal, checks the arguments of each operation the C host makes through
// the library against abi_contract.h and says in its answer whether they
// arrived as sent. The first login starts a thread that calls each of the 47
// callbacks of the library's bridge once, by slot, from callback_table.h.
#include "abi_contract.h"
#include "callback_table.h"
#include "no_crt_runtime.h"
#include "velmo_kiv_sdk/kiv_event_handler.h"
#include "velmo_kiv_sdk/kiv_interfaces.h"

namespace {

using namespace velmo::kiv;

uint64_t answer(AbiOperation operation, bool asSent) {
  return asSent ? ABI_ACCEPTED(operation) : ABI_REFUSED(operation);
}

bool isPair(const char* key, const char* value, const char* wantedKey, const char* wantedValue) {
  return sameText(key, wantedKey) && sameText(value, wantedValue);
}

class StandInStorage final : public IKivStorage {
 public:
  int setChannelMetadata(const char* channelName, int channelType, const Metadata& data,
                         const MetadataOptions& options, const char* lockName,
                         uint64_t& requestId) override {
    const MetadataItem* items = data.items;
    requestId =
        answer(ABI_OP_STORAGE, sameText(channelName, ABI_CHANNEL) && channelType == 2 &&
                                   data.majorRevision == 12 && data.itemCount == 2 && items &&
                                   isPair(items[1].key, items[1].value, "k2", "v2") &&
                                   items[1].revision == 5000000000ll && options.recordTs &&
                                   !options.recordUserId && sameText(lockName, ABI_LOCK));
    return 0;
  }
  int updateChannelMetadata(const char*, int, const Metadata&, const MetadataOptions&, const char*,
                            uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int removeChannelMetadata(const char*, int, const Metadata&, const MetadataOptions&, const char*,
                            uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int getChannelMetadata(const char*, int, uint64_t&) override { return ABI_UNSUPPORTED; }
  int setUserMetadata(const char*, const Metadata&, const MetadataOptions&, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int updateUserMetadata(const char*, const Metadata&, const MetadataOptions&, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int removeUserMetadata(const char*, const Metadata&, const MetadataOptions&, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int getUserMetadata(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int subscribeUserMetadata(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int unsubscribeUserMetadata(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
};

class StandInLock final : public IKivLock {
 public:
  int setLock(const char* channelName, int channelType, const char* lockName, uint32_t ttl,
              uint64_t& requestId) override {
    requestId = answer(ABI_OP_LOCK, sameText(channelName, ABI_CHANNEL) && channelType == 1 &&
                                        sameText(lockName, ABI_LOCK) && ttl == 3000000000u);
    return 0;
  }
  int getLocks(const char*, int, uint64_t&) override { return ABI_UNSUPPORTED; }
  int removeLock(const char*, int, const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int acquireLock(const char*, int, const char*, bool, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int releaseLock(const char*, int, const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int revokeLock(const char*, int, const char*, const char*, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
};

class StandInPresence final : public IKivPresence {
 public:
  int whoNow(const char*, int, const PresenceOptions&, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int whereNow(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int setState(const char* channelName, int channelType, const StateItem* items, size_t count,
               uint64_t& requestId) override {
    requestId = answer(ABI_OP_PRESENCE, sameText(channelName, ABI_CHANNEL) && channelType == 2 &&
                                            count == 2 && items &&
                                            isPair(items[0].key, items[0].value, "k1", "v1") &&
                                            isPair(items[1].key, items[1].value, "k2", "v2"));
    return 0;
  }
  int removeState(const char*, int, const char**, size_t, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int getState(const char*, int, const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int getOnlineUsers(const char*, int, const GetOnlineUsersOptions&, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int getUserChannels(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
};

class StandInHistory final : public IKivHistory {
 public:
  int getMessages(const char* channelName, int channelType,
                  const GetHistoryMessagesOptions& options, uint64_t& requestId) override {
    requestId = answer(ABI_OP_HISTORY, sameText(channelName, ABI_CHANNEL) && channelType == 1 &&
                                           options.messageCount == 42 &&
                                           options.start == 1700000000001ull &&
                                           options.end == 1700000000999ull);
    return 0;
  }
};

class StandInChannel final : public IStreamChannel {
 public:
  int join(const JoinChannelOptions& options, uint64_t& requestId) override {
    requestId =
        answer(ABI_OP_JOIN, sameText(options.token, ABI_TOKEN) && options.withMetadata &&
                                !options.withPresence && options.withLock && !options.beQuiet);
    return 0;
  }
  int renewToken(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int leave(uint64_t&) override { return ABI_UNSUPPORTED; }
  const char* getChannelName() override { return ABI_CHANNEL; }
  int joinTopic(const char*, const JoinTopicOptions&, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int publishTopicMessage(const char* topic, const char* message, size_t length,
                          const TopicMessageOptions& option, uint64_t& requestId) override {
    requestId = answer(ABI_OP_TOPIC_PUBLISH,
                       sameText(topic, ABI_TOPIC) && length == ABI_TOPIC_PAYLOAD_LENGTH &&
                           sameBytes(message, ABI_TOPIC_PAYLOAD, length) &&
                           option.messageType == 3 && option.sendTs == 1700000000123ull &&
                           sameText(option.customType, "abi-topic-type"));
    return 0;
  }
  int leaveTopic(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int subscribeTopic(const char*, const TopicOptions&, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int unsubscribeTopic(const char*, const TopicOptions&, uint64_t&) override {
    return ABI_UNSUPPORTED;
  }
  int getSubscribedUserList(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int setParameters(const char*) override { return ABI_UNSUPPORTED; }
  int release() override {
    delete this;
    return 0;
  }
};

class StandInClient final : public IKivClient {
 public:
  explicit StandInClient(IKivEventHandler* handler) : handler_(handler) {}

  // Waits for the callback thread: no callback reaches the library after this.
  int release() override {
    if (thread_) {
      WaitForSingleObject(thread_, kInfinite);
      CloseHandle(thread_);
    }
    delete this;
    return 0;
  }
  int login(const char* token, uint64_t& requestId) override {
    requestId = answer(ABI_OP_LOGIN, sameText(token, ABI_TOKEN));
    if (!thread_) thread_ = CreateThread(nullptr, 0, &raiseEveryCallback, handler_, 0, nullptr);
    return 0;
  }
  int logout(uint64_t& requestId) override {
    requestId = answer(ABI_OP_LOGOUT, true);
    return 0;
  }
  IKivStorage* getStorage() override { return &storage_; }
  IKivLock* getLock() override { return &lock_; }
  IKivPresence* getPresence() override { return &presence_; }
  IKivHistory* getHistory() override { return &history_; }
  int renewToken(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  int publish(const char* channelName, const char* message, size_t length,
              const PublishOptions& options, uint64_t& requestId) override {
    requestId = answer(ABI_OP_PUBLISH,
                       sameText(channelName, ABI_CHANNEL) && length == ABI_PAYLOAD_LENGTH &&
                           sameBytes(message, ABI_PAYLOAD, length) && options.channelType == 2 &&
                           options.messageType == 1 && sameText(options.customType, "abi-custom") &&
                           options.storeInHistory);
    return 0;
  }
  int subscribe(const char* channelName, const SubscribeOptions& options,
                uint64_t& requestId) override {
    requestId =
        answer(ABI_OP_SUBSCRIBE, sameText(channelName, ABI_CHANNEL) && !options.withMessage &&
                                     options.withMetadata && !options.withPresence &&
                                     options.withLock && options.beQuiet);
    return 0;
  }
  int unsubscribe(const char*, uint64_t&) override { return ABI_UNSUPPORTED; }
  IStreamChannel* createStreamChannel(const char* channelName, int* errorCode) override {
    if (sameText(channelName, ABI_CHANNEL)) return new StandInChannel;
    if (errorCode) *errorCode = ABI_CHANNEL_REFUSED;
    return nullptr;
  }
  int setParameters(const char* parameters) override {
    return sameText(parameters, ABI_PARAMETERS) ? ABI_PARAMETERS_ACCEPTED : ABI_PARAMETERS_REFUSED;
  }

 private:
  static unsigned long __stdcall raiseEveryCallback(void* handler) {
    for (velmo_msvc_abi::RaiseCallback raise : velmo_msvc_abi::kCallbacks)
      raise(*static_cast<IKivEventHandler*>(handler));
    return 0;
  }

  IKivEventHandler* handler_;
  void* thread_ = nullptr;
  StandInStorage storage_;
  StandInLock lock_;
  StandInPresence presence_;
  StandInHistory history_;
};

// The configuration's fields at the offsets MSVC gives them, with the values
// the host put in its JSON: scalars, flags, a 16-bit port, nested records.
bool configAsSent(const KivConfig* config) {
  if (!config) return false;
  const PrivateConfig& ap = config->privateConfig;
  return sameText(config->appId, ABI_APP_ID) && config->userId && config->areaCode == 17 &&
         config->presenceTimeout == 301 &&
         reinterpret_cast<uintptr_t>(config->context) == ABI_CONTEXT && !config->useStringUserId &&
         config->multipath && config->ispPolicyEnabled && config->eventHandler &&
         config->logConfig.fileSizeInKB == 2048 && config->proxyConfig.port == 8080 &&
         sameText(config->proxyConfig.password, ABI_PROXY_PASSWORD) &&
         ap.accessPointHostsCount == 2 && ap.accessPointHosts &&
         sameText(ap.accessPointHosts[1], ABI_SECOND_ACCESS_POINT);
}

}  // namespace

// The three entries, cdecl as in velmo_kiv_sdk.h, whose dllexport would also
// export them by name: velmo_kiv_sdk.def exports them by ordinal only.
extern "C" {

IKivClient* __cdecl createKivClient(const KivConfig* config, int* errorCode) {
  if (configAsSent(config)) return new StandInClient(config->eventHandler);
  if (errorCode) *errorCode = ABI_CONFIG_REFUSED;
  return nullptr;
}

const char* __cdecl getKivErrorReason(int) { return ABI_ERROR_REASON; }

const char* __cdecl getKivVersion(int* build) {
  if (build) *build = ABI_VERSION_BUILD;
  return ABI_VERSION_TEXT;
}
}
