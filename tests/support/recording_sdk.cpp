#include "support/recording_sdk.h"

#include <atomic>
#include <tuple>

#include "src/kiv/src/json/kiv_record_fields.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {

namespace sdk = ::velmo::kiv;

// ---- records as JSON ---------------------------------------------------------
// Walks the library's field lists, but keeps what the library's writers
// flatten: a null string stays null, a null array stays null.

namespace {

json text(const char* s) { return s ? json(s) : json(nullptr); }

template <class R>
json describe(const R& record);

json elements(const char** p, size_t n) {
  if (!p) return nullptr;
  json out = json::array();
  for (size_t i = 0; i < n; ++i) out.push_back(text(p[i]));
  return out;
}

template <class Rec>
json elements(const Rec* p, size_t n) {
  if (!p) return nullptr;
  json out = json::array();
  for (size_t i = 0; i < n; ++i) out.push_back(describe(p[i]));
  return out;
}

template <class R>
void put(json& out, const R& r, const fields::Str<R>& f) {
  out[f.key] = text(r.*f.m);
}
template <class R, class T>
void put(json& out, const R& r, const fields::Twin<R, T>& f) {
  out[f.key] = static_cast<uint64_t>(r.*f.m);
}
template <class R, class P>
void put(json& out, const R& r, const fields::Addr<R, P>& f) {
  out[f.key] = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(r.*f.m));
}
template <class R, class Sub>
void put(json& out, const R& r, const fields::Nested<R, Sub>& f) {
  out[f.key] = describe(r.*f.m);
}
template <class R, class E>
void put(json& out, const R& r, const fields::Array<R, E>& f) {
  out[f.key] = elements(r.*f.ptr, r.*f.count);
  out[f.countKey] = static_cast<uint64_t>(r.*f.count);
}
// Booleans, narrow integers and byte arrays: the library's own writer.
template <class R, class F>
void put(json& out, const R& r, const F& f) {
  f.write(out, r);
}

template <class R>
json describe(const R& record) {
  json out = json::object();
  std::apply([&](const auto&... field) { (put(out, record, field), ...); },
             RecordFields<R>::list());
  return out;
}

json address(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

std::atomic<RecordingSdk*> activeSdk{nullptr};

sdk::IKivClient* QUON_CALL createThroughActive(const sdk::KivConfig* config, int* errorCode) {
  RecordingSdk* active = activeSdk.load();
  return active ? active->createClient(config, errorCode) : nullptr;
}

}  // namespace

json describeRecord(const sdk::KivConfig& config) { return describe(config); }

// ---- sub-interfaces: every operation records and hands out a request id ----

class FakeStorage : public sdk::IKivStorage {
 public:
  explicit FakeStorage(RecordingSdk& s) : sdk_(s) {}
  int setChannelMetadata(const char* channelName, int channelType, const sdk::Metadata& data,
                         const sdk::MetadataOptions& options, const char* lockName,
                         uint64_t& requestId) override {
    return channelWrite("IKivStorage::setChannelMetadata", channelName, channelType, data, options,
                        lockName, requestId);
  }
  int updateChannelMetadata(const char* channelName, int channelType, const sdk::Metadata& data,
                            const sdk::MetadataOptions& options, const char* lockName,
                            uint64_t& requestId) override {
    return channelWrite("IKivStorage::updateChannelMetadata", channelName, channelType, data,
                        options, lockName, requestId);
  }
  int removeChannelMetadata(const char* channelName, int channelType, const sdk::Metadata& data,
                            const sdk::MetadataOptions& options, const char* lockName,
                            uint64_t& requestId) override {
    return channelWrite("IKivStorage::removeChannelMetadata", channelName, channelType, data,
                        options, lockName, requestId);
  }
  int getChannelMetadata(const char* channelName, int channelType, uint64_t& requestId) override {
    return sdk_.record("IKivStorage::getChannelMetadata", 0,
                       {{"channelName", text(channelName)}, {"channelType", channelType}},
                       &requestId);
  }
  int setUserMetadata(const char* userId, const sdk::Metadata& data,
                      const sdk::MetadataOptions& options, uint64_t& requestId) override {
    return userWrite("IKivStorage::setUserMetadata", userId, data, options, requestId);
  }
  int updateUserMetadata(const char* userId, const sdk::Metadata& data,
                         const sdk::MetadataOptions& options, uint64_t& requestId) override {
    return userWrite("IKivStorage::updateUserMetadata", userId, data, options, requestId);
  }
  int removeUserMetadata(const char* userId, const sdk::Metadata& data,
                         const sdk::MetadataOptions& options, uint64_t& requestId) override {
    return userWrite("IKivStorage::removeUserMetadata", userId, data, options, requestId);
  }
  int getUserMetadata(const char* userId, uint64_t& requestId) override {
    return user("IKivStorage::getUserMetadata", userId, requestId);
  }
  int subscribeUserMetadata(const char* userId, uint64_t& requestId) override {
    return user("IKivStorage::subscribeUserMetadata", userId, requestId);
  }
  int unsubscribeUserMetadata(const char* userId, uint64_t& requestId) override {
    return user("IKivStorage::unsubscribeUserMetadata", userId, requestId);
  }

 private:
  int channelWrite(const char* op, const char* channelName, int channelType,
                   const sdk::Metadata& data, const sdk::MetadataOptions& options,
                   const char* lockName, uint64_t& requestId) {
    return sdk_.record(op, 0,
                       {{"channelName", text(channelName)},
                        {"channelType", channelType},
                        {"data", describe(data)},
                        {"options", describe(options)},
                        {"lockName", text(lockName)}},
                       &requestId);
  }
  int userWrite(const char* op, const char* userId, const sdk::Metadata& data,
                const sdk::MetadataOptions& options, uint64_t& requestId) {
    return sdk_.record(
        op, 0, {{"userId", text(userId)}, {"data", describe(data)}, {"options", describe(options)}},
        &requestId);
  }
  int user(const char* op, const char* userId, uint64_t& requestId) {
    return sdk_.record(op, 0, {{"userId", text(userId)}}, &requestId);
  }
  RecordingSdk& sdk_;
};

class FakeLock : public sdk::IKivLock {
 public:
  explicit FakeLock(RecordingSdk& s) : sdk_(s) {}
  int setLock(const char* channelName, int channelType, const char* lockName, uint32_t ttl,
              uint64_t& requestId) override {
    json args = named(channelName, channelType, lockName);
    args["ttl"] = ttl;
    return sdk_.record("IKivLock::setLock", 0, std::move(args), &requestId);
  }
  int getLocks(const char* channelName, int channelType, uint64_t& requestId) override {
    return sdk_.record("IKivLock::getLocks", 0,
                       {{"channelName", text(channelName)}, {"channelType", channelType}},
                       &requestId);
  }
  int removeLock(const char* channelName, int channelType, const char* lockName,
                 uint64_t& requestId) override {
    return sdk_.record("IKivLock::removeLock", 0, named(channelName, channelType, lockName),
                       &requestId);
  }
  int acquireLock(const char* channelName, int channelType, const char* lockName, bool retry,
                  uint64_t& requestId) override {
    json args = named(channelName, channelType, lockName);
    args["retry"] = retry;
    return sdk_.record("IKivLock::acquireLock", 0, std::move(args), &requestId);
  }
  int releaseLock(const char* channelName, int channelType, const char* lockName,
                  uint64_t& requestId) override {
    return sdk_.record("IKivLock::releaseLock", 0, named(channelName, channelType, lockName),
                       &requestId);
  }
  int revokeLock(const char* channelName, int channelType, const char* lockName, const char* owner,
                 uint64_t& requestId) override {
    json args = named(channelName, channelType, lockName);
    args["owner"] = text(owner);
    return sdk_.record("IKivLock::revokeLock", 0, std::move(args), &requestId);
  }

 private:
  static json named(const char* channelName, int channelType, const char* lockName) {
    return {{"channelName", text(channelName)},
            {"channelType", channelType},
            {"lockName", text(lockName)}};
  }
  RecordingSdk& sdk_;
};

class FakePresence : public sdk::IKivPresence {
 public:
  explicit FakePresence(RecordingSdk& s) : sdk_(s) {}
  int whoNow(const char* channelName, int channelType, const sdk::PresenceOptions& options,
             uint64_t& requestId) override {
    return sdk_.record("IKivPresence::whoNow", 0,
                       {{"channelName", text(channelName)},
                        {"channelType", channelType},
                        {"options", describe(options)}},
                       &requestId);
  }
  int whereNow(const char* userId, uint64_t& requestId) override {
    return sdk_.record("IKivPresence::whereNow", 0, {{"userId", text(userId)}}, &requestId);
  }
  int setState(const char* channelName, int channelType, const sdk::StateItem* items, size_t count,
               uint64_t& requestId) override {
    return sdk_.record("IKivPresence::setState", 0,
                       {{"channelName", text(channelName)},
                        {"channelType", channelType},
                        {"items", elements(items, count)},
                        {"count", count}},
                       &requestId);
  }
  int removeState(const char* channelName, int channelType, const char** keys, size_t count,
                  uint64_t& requestId) override {
    return sdk_.record("IKivPresence::removeState", 0,
                       {{"channelName", text(channelName)},
                        {"channelType", channelType},
                        {"keys", elements(keys, count)},
                        {"count", count}},
                       &requestId);
  }
  int getState(const char* channelName, int channelType, const char* userId,
               uint64_t& requestId) override {
    return sdk_.record("IKivPresence::getState", 0,
                       {{"channelName", text(channelName)},
                        {"channelType", channelType},
                        {"userId", text(userId)}},
                       &requestId);
  }
  int getOnlineUsers(const char* channelName, int channelType,
                     const sdk::GetOnlineUsersOptions& options, uint64_t& requestId) override {
    return sdk_.record("IKivPresence::getOnlineUsers", 0,
                       {{"channelName", text(channelName)},
                        {"channelType", channelType},
                        {"options", describe(options)}},
                       &requestId);
  }
  int getUserChannels(const char* userId, uint64_t& requestId) override {
    return sdk_.record("IKivPresence::getUserChannels", 0, {{"userId", text(userId)}}, &requestId);
  }

 private:
  RecordingSdk& sdk_;
};

class FakeHistory : public sdk::IKivHistory {
 public:
  explicit FakeHistory(RecordingSdk& s) : sdk_(s) {}
  int getMessages(const char* channelName, int channelType,
                  const sdk::GetHistoryMessagesOptions& options, uint64_t& requestId) override {
    return sdk_.record("IKivHistory::getMessages", 0,
                       {{"channelName", text(channelName)},
                        {"channelType", channelType},
                        {"options", describe(options)}},
                       &requestId);
  }

 private:
  RecordingSdk& sdk_;
};

struct RecordingSdk::SubObjects {
  explicit SubObjects(RecordingSdk& s) : storage(s), lock(s), presence(s), history(s) {}
  FakeStorage storage;
  FakeLock lock;
  FakePresence presence;
  FakeHistory history;
};

// ---- the recorder -------------------------------------------------------------

RecordingSdk::RecordingSdk() : subs_(new SubObjects(*this)) { activeSdk.store(this); }

RecordingSdk::~RecordingSdk() {
  RecordingSdk* self = this;
  activeSdk.compare_exchange_strong(self, nullptr);
}

const KivProcTable* RecordingSdk::procTable() {
  static const KivProcTable table = {&createThroughActive};
  return &table;
}

sdk::IKivClient* RecordingSdk::newClient() {
  std::lock_guard<std::mutex> guard(mutex_);
  clients_.push_back(std::make_unique<FakeKivClient>(*this, static_cast<int>(clients_.size()) + 1));
  return clients_.back().get();
}

std::vector<SdkCall> RecordingSdk::calls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return calls_;
}

std::vector<SdkCall> RecordingSdk::calls(const std::string& op) const {
  std::vector<SdkCall> matching;
  for (SdkCall& call : calls())
    if (call.op == op) matching.push_back(std::move(call));
  return matching;
}

size_t RecordingSdk::callCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return calls_.size();
}

void RecordingSdk::clearCalls() {
  std::lock_guard<std::mutex> guard(mutex_);
  calls_.clear();
}

void RecordingSdk::setNextRequestId(uint64_t id) {
  std::lock_guard<std::mutex> guard(mutex_);
  nextRequestId_ = id;
}

void RecordingSdk::setReturn(const std::string& op, int value) {
  std::lock_guard<std::mutex> guard(mutex_);
  returns_[op] = value;
}

void RecordingSdk::failClientCreation(int errorCode) {
  std::lock_guard<std::mutex> guard(mutex_);
  clientFailure_ = errorCode;
}

void RecordingSdk::failChannelCreation(int errorCode) {
  std::lock_guard<std::mutex> guard(mutex_);
  channelFailure_ = errorCode;
}

void RecordingSdk::withholdInterface(SubInterface which, bool withheld) {
  std::lock_guard<std::mutex> guard(mutex_);
  withheld_[static_cast<int>(which)] = withheld;
}

void RecordingSdk::setCallHook(std::function<void(const SdkCall&)> hook) {
  std::lock_guard<std::mutex> guard(mutex_);
  hook_ = std::move(hook);
}

size_t RecordingSdk::clientCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return clients_.size();
}

FakeKivClient* RecordingSdk::client(size_t index) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return index < clients_.size() ? clients_[index].get() : nullptr;
}

size_t RecordingSdk::channelCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return channels_.size();
}

FakeStreamChannel* RecordingSdk::channel(size_t index) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return index < channels_.size() ? channels_[index].get() : nullptr;
}

sdk::IKivEventHandler* RecordingSdk::eventHandler() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return eventHandler_;
}

int RecordingSdk::returnFor(const std::string& op) const {
  auto it = returns_.find(op);
  return it == returns_.end() ? 0 : it->second;
}

int RecordingSdk::record(const char* op, int target, json args, uint64_t* requestId) {
  SdkCall call{op, std::move(args), target, std::nullopt};
  std::function<void(const SdkCall&)> hook;
  int value = 0;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (requestId) {
      call.requestIdIn = *requestId;
      *requestId = nextRequestId_++;
    }
    calls_.push_back(call);
    value = returnFor(call.op);
    hook = hook_;
  }
  if (hook) hook(call);
  return value;
}

sdk::IKivClient* RecordingSdk::createClient(const sdk::KivConfig* config, int* errorCode) {
  record("createKivClient", 0, {{"config", config ? describe(*config) : json(nullptr)}});
  std::lock_guard<std::mutex> guard(mutex_);
  eventHandler_ = config ? config->eventHandler : nullptr;
  if (clientFailure_ != 0) {
    if (errorCode) *errorCode = clientFailure_;
    return nullptr;
  }
  clients_.push_back(std::make_unique<FakeKivClient>(*this, static_cast<int>(clients_.size()) + 1));
  return clients_.back().get();
}

sdk::IStreamChannel* RecordingSdk::createChannel(const char* name, int* errorCode) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (channelFailure_ != 0) {
    if (errorCode) *errorCode = channelFailure_;
    return nullptr;
  }
  std::optional<std::string> copy;
  if (name) copy = name;
  channels_.push_back(std::make_unique<FakeStreamChannel>(
      *this, static_cast<int>(channels_.size()) + 1, std::move(copy)));
  return channels_.back().get();
}

// ---- the client -----------------------------------------------------------------

int FakeKivClient::release() { return sdk_.record("IKivClient::release", id_, json::object()); }

int FakeKivClient::login(const char* token, uint64_t& requestId) {
  return sdk_.record("IKivClient::login", id_, {{"token", text(token)}}, &requestId);
}

int FakeKivClient::logout(uint64_t& requestId) {
  return sdk_.record("IKivClient::logout", id_, json::object(), &requestId);
}

sdk::IKivStorage* FakeKivClient::getStorage() {
  std::lock_guard<std::mutex> guard(sdk_.mutex_);
  return sdk_.withheld_[static_cast<int>(SubInterface::Storage)] ? nullptr : &sdk_.subs_->storage;
}

sdk::IKivLock* FakeKivClient::getLock() {
  std::lock_guard<std::mutex> guard(sdk_.mutex_);
  return sdk_.withheld_[static_cast<int>(SubInterface::Lock)] ? nullptr : &sdk_.subs_->lock;
}

sdk::IKivPresence* FakeKivClient::getPresence() {
  std::lock_guard<std::mutex> guard(sdk_.mutex_);
  return sdk_.withheld_[static_cast<int>(SubInterface::Presence)] ? nullptr : &sdk_.subs_->presence;
}

sdk::IKivHistory* FakeKivClient::getHistory() {
  std::lock_guard<std::mutex> guard(sdk_.mutex_);
  return sdk_.withheld_[static_cast<int>(SubInterface::History)] ? nullptr : &sdk_.subs_->history;
}

int FakeKivClient::renewToken(const char* token, uint64_t& requestId) {
  return sdk_.record("IKivClient::renewToken", id_, {{"token", text(token)}}, &requestId);
}

int FakeKivClient::publish(const char* channelName, const char* message, size_t length,
                           const sdk::PublishOptions& options, uint64_t& requestId) {
  return sdk_.record("IKivClient::publish", id_,
                     {{"channelName", text(channelName)},
                      {"message", address(message)},
                      {"length", length},
                      {"options", describe(options)}},
                     &requestId);
}

int FakeKivClient::subscribe(const char* channelName, const sdk::SubscribeOptions& options,
                             uint64_t& requestId) {
  return sdk_.record("IKivClient::subscribe", id_,
                     {{"channelName", text(channelName)}, {"options", describe(options)}},
                     &requestId);
}

int FakeKivClient::unsubscribe(const char* channelName, uint64_t& requestId) {
  return sdk_.record("IKivClient::unsubscribe", id_, {{"channelName", text(channelName)}},
                     &requestId);
}

sdk::IStreamChannel* FakeKivClient::createStreamChannel(const char* channelName, int* errorCode) {
  sdk_.record("IKivClient::createStreamChannel", id_, {{"channelName", text(channelName)}});
  return sdk_.createChannel(channelName, errorCode);
}

int FakeKivClient::setParameters(const char* parameters) {
  return sdk_.record("IKivClient::setParameters", id_, {{"parameters", text(parameters)}});
}

// ---- stream channels ------------------------------------------------------------

int FakeStreamChannel::join(const sdk::JoinChannelOptions& options, uint64_t& requestId) {
  return sdk_.record("IStreamChannel::join", id_, {{"options", describe(options)}}, &requestId);
}

int FakeStreamChannel::renewToken(const char* token, uint64_t& requestId) {
  return sdk_.record("IStreamChannel::renewToken", id_, {{"token", text(token)}}, &requestId);
}

int FakeStreamChannel::leave(uint64_t& requestId) {
  return sdk_.record("IStreamChannel::leave", id_, json::object(), &requestId);
}

const char* FakeStreamChannel::getChannelName() {
  sdk_.record("IStreamChannel::getChannelName", id_, json::object());
  return name_ ? name_->c_str() : nullptr;
}

int FakeStreamChannel::joinTopic(const char* topic, const sdk::JoinTopicOptions& options,
                                 uint64_t& requestId) {
  return sdk_.record("IStreamChannel::joinTopic", id_,
                     {{"topic", text(topic)}, {"options", describe(options)}}, &requestId);
}

int FakeStreamChannel::publishTopicMessage(const char* topic, const char* message, size_t length,
                                           const sdk::TopicMessageOptions& option,
                                           uint64_t& requestId) {
  return sdk_.record("IStreamChannel::publishTopicMessage", id_,
                     {{"topic", text(topic)},
                      {"message", address(message)},
                      {"length", length},
                      {"option", describe(option)}},
                     &requestId);
}

int FakeStreamChannel::leaveTopic(const char* topic, uint64_t& requestId) {
  return sdk_.record("IStreamChannel::leaveTopic", id_, {{"topic", text(topic)}}, &requestId);
}

int FakeStreamChannel::subscribeTopic(const char* topic, const sdk::TopicOptions& options,
                                      uint64_t& requestId) {
  return sdk_.record("IStreamChannel::subscribeTopic", id_,
                     {{"topic", text(topic)}, {"options", describe(options)}}, &requestId);
}

int FakeStreamChannel::unsubscribeTopic(const char* topic, const sdk::TopicOptions& options,
                                        uint64_t& requestId) {
  return sdk_.record("IStreamChannel::unsubscribeTopic", id_,
                     {{"topic", text(topic)}, {"options", describe(options)}}, &requestId);
}

int FakeStreamChannel::getSubscribedUserList(const char* topic, uint64_t& requestId) {
  return sdk_.record("IStreamChannel::getSubscribedUserList", id_, {{"topic", text(topic)}},
                     &requestId);
}

int FakeStreamChannel::setParameters(const char* parameters) {
  return sdk_.record("IStreamChannel::setParameters", id_, {{"parameters", text(parameters)}});
}

int FakeStreamChannel::release() {
  return sdk_.record("IStreamChannel::release", id_, json::object());
}

}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
