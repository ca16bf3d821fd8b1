// The SDK face over a scripted backend: what the face alone decides (request
// ids, injected failures, argument checks, answers for a released client,
// results answered later) whichever backend is beneath it; and the in-process
// backend answering a request whose body fails unexpectedly.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "loopback_recorder.h"
#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/in_process/in_process_backend.h"
#include "loopback_sdk/sdk_client.h"
#include "loopback_sdk/sdk_lock.h"
#include "loopback_sdk/sdk_presence.h"
#include "loopback_sdk/sdk_results.h"
#include "loopback_sdk/sdk_stream_channel.h"

namespace lb = velmo::quon::kiv::loopback;
namespace sdk = velmo::kiv;
using loopback_test::Recorder;

namespace {

// The operations a backend ran, from any thread; it may outlive the backend.
class OperationLog {
 public:
  void add(const std::string& operation) {
    std::lock_guard<std::mutex> lock(mutex_);
    operations_.push_back(operation);
  }
  std::vector<std::string> operations() {
    std::lock_guard<std::mutex> lock(mutex_);
    return operations_;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    operations_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> operations_;
};

// The session number a scripted backend's dropped link carries.
constexpr uint64_t kDropSession = 42;

// Logs which operations ran and answers each with `answer` (kOk unless set).
class ScriptedBackend final : public lb::Backend {
 public:
  ScriptedBackend(lb::EventDispatcher& events,
                  std::shared_ptr<OperationLog> log = std::make_shared<OperationLog>())
      : events_(events), log_(std::move(log)) {}

  std::vector<std::string> ran() { return log_->operations(); }
  void clearRan() { log_->clear(); }
  int answer = lb::kOk;
  bool loggedIn = true;

  int request(uint64_t requestId, lb::Need need, const Body& body,
              const ResultEvent& result) override {
    log_->add("request");
    std::vector<lb::Event> followUps;
    const int code =
        need == lb::Need::kConnection && !loggedIn ? lb::kNotLoggedIn : body(followUps);
    if (code != lb::kAnswerLater) events_.post(result(requestId, code));
    return code;
  }
  int login() override { return op("login"); }
  int logout() override { return op("logout"); }
  int dropLink(uint64_t& session) override {
    session = kDropSession;
    return op("dropLink");
  }
  void relinkAfterDrop(uint64_t session) override {
    op("relinkAfterDrop " + std::to_string(session));
  }
  void release() override { op("release"); }
  std::vector<std::string> channelNames() override { return {}; }
  uint64_t timestamp() override { return 1; }
  int setTtlUnit(uint32_t) override { return op("setTtlUnit"); }
  int publish(const lb::ChannelKey&, const lb::MessageCopy&, bool) override {
    return op("publish");
  }
  int subscribe(const std::string&, const lb::MemberOptions&, std::vector<lb::Event>&) override {
    return op("subscribe");
  }
  int unsubscribe(const std::string&) override { return op("unsubscribe"); }
  int listUsers(const lb::ChannelKey&, size_t, std::vector<lb::UserStateCopy>&,
                std::string&) override {
    return op("listUsers");
  }
  int listChannels(const std::string&, std::vector<lb::ChannelCopy>&) override {
    return op("listChannels");
  }
  int setState(const lb::ChannelKey&, const lb::StateMap&) override { return op("setState"); }
  int removeState(const lb::ChannelKey&, const std::vector<std::string>&) override {
    return op("removeState");
  }
  int getState(const lb::ChannelKey&, const std::string&, lb::UserStateCopy&) override {
    return op("getState");
  }
  int historyPage(const lb::ChannelKey&, uint16_t, uint64_t, uint64_t, lb::HistoryPage&) override {
    return op("historyPage");
  }
  int writeMetadata(const lb::ChannelKey&, const lb::MetadataWrite&, const std::string&) override {
    return op("writeMetadata");
  }
  int getMetadata(const lb::ChannelKey&, lb::MetadataCopy&) override { return op("getMetadata"); }
  int followUserMetadata(const std::string&, bool, std::vector<lb::Event>&) override {
    return op("followUserMetadata");
  }
  int setLock(const lb::ChannelKey&, const std::string&, uint32_t) override {
    return op("setLock");
  }
  int getLocks(const lb::ChannelKey&, std::vector<lb::LockCopy>&) override {
    return op("getLocks");
  }
  int removeLock(const lb::ChannelKey&, const std::string&) override { return op("removeLock"); }
  int acquireLock(const lb::ChannelKey&, const std::string&, bool, uint64_t,
                  std::string&) override {
    return op("acquireLock");
  }
  int releaseLock(const lb::ChannelKey&, const std::string&) override { return op("releaseLock"); }
  int revokeLock(const lb::ChannelKey&, const std::string&, const std::string&) override {
    return op("revokeLock");
  }
  const std::string& userId() const override { return user_; }
  int streamJoin(const std::string&, const lb::MemberOptions&, std::vector<lb::Event>&) override {
    return op("streamJoin");
  }
  int streamLeave(const std::string&) override { return op("streamLeave"); }
  int joinTopic(const std::string&, const std::string&, const std::string&) override {
    return op("joinTopic");
  }
  int leaveTopic(const std::string&, const std::string&, std::string&) override {
    return op("leaveTopic");
  }
  int publishTopic(const std::string&, const std::string&, int, const lb::MessageCopy&) override {
    return op("publishTopic");
  }
  int subscribeTopic(const std::string&, const std::string&, const std::vector<std::string>&,
                     lb::TopicSubscribeOutcome&) override {
    return op("subscribeTopic");
  }
  int unsubscribeTopic(const std::string&, const std::string&,
                       const std::vector<std::string>&) override {
    return op("unsubscribeTopic");
  }
  int subscribedUsers(const std::string&, const std::string&, std::vector<std::string>&) override {
    return op("subscribedUsers");
  }
  void streamChannelReleased(const std::string&) override { op("streamChannelReleased"); }

 private:
  int op(const std::string& name) {
    log_->add(name);
    return answer;
  }

  lb::EventDispatcher& events_;
  const std::shared_ptr<OperationLog> log_;
  const std::string user_ = "alice";
};

class FaceTest : public ::testing::Test {
 protected:
  ~FaceTest() override { dispatcher.stop(); }

  Recorder recorder;
  lb::EventDispatcher dispatcher{&recorder};
  ScriptedBackend backend{dispatcher};
  lb::FaceRequests requests{backend, dispatcher};
};

TEST_F(FaceTest, InjectedFailuresComeBeforeAdmissionAndRunOut) {
  backend.loggedIn = false;
  requests.failWith(lb::kInjectedFailure + 1000);
  requests.failNext(2);
  lb::SdkPresence presence(requests);
  std::vector<uint64_t> ids;
  std::vector<int> codes;
  for (int i = 0; i < 3; ++i) {
    uint64_t id = 0;
    codes.push_back(presence.whereNow("bob", id));
    ids.push_back(id);
  }
  // Two injected failures, then the backend's own refusal (not logged in).
  EXPECT_EQ(codes, (std::vector<int>{lb::kInjectedFailure + 1000, lb::kInjectedFailure + 1000,
                                     lb::kNotLoggedIn}));
  EXPECT_EQ(backend.ran(), std::vector<std::string>{"request"});
  EXPECT_LT(ids[0], ids[1]);
  EXPECT_LT(ids[1], ids[2]);
  for (size_t i = 0; i < ids.size(); ++i) {
    const auto result = recorder.waitResult("onWhereNowResult", ids[i]);
    ASSERT_TRUE(result) << "no result for request " << i;
    EXPECT_EQ(result->errorCode, codes[i]);
  }
}

// Arguments the face refuses never reach the backend.
TEST_F(FaceTest, RefusedArgumentsDoNotReachTheBackend) {
  lb::SdkPresence presence(requests);
  lb::SdkLock lock(requests);
  struct Case {
    const char* what;
    std::function<int(uint64_t&)> call;
    int expected;
  };
  const sdk::StateItem keyless[] = {{nullptr, "v"}};
  const std::vector<Case> cases = {
      {"presence in a user channel",
       [&](uint64_t& id) { return presence.whoNow("c", lb::kChannelUser, {}, id); },
       lb::kInvalidChannelType},
      {"a page marker that is not a number",
       [&](uint64_t& id) {
         sdk::PresenceOptions options;
         options.page = "x1";
         return presence.whoNow("c", lb::kChannelMessage, options, id);
       },
       lb::kInvalidArgument},
      {"a state item without a key",
       [&](uint64_t& id) { return presence.setState("c", lb::kChannelMessage, keyless, 1, id); },
       lb::kInvalidArgument},
      {"a lock without a name",
       [&](uint64_t& id) { return lock.acquireLock("c", lb::kChannelMessage, "", false, id); },
       lb::kInvalidArgument},
      {"a lock with no time to live",
       [&](uint64_t& id) { return lock.setLock("c", lb::kChannelStream, "l", 0, id); },
       lb::kInvalidArgument},
      {"a lock in an unnamed channel",
       [&](uint64_t& id) { return lock.getLocks("", lb::kChannelMessage, id); },
       lb::kInvalidChannelName},
  };
  for (const Case& c : cases) {
    backend.clearRan();
    uint64_t id = 0;
    EXPECT_EQ(c.call(id), c.expected) << c.what;
    EXPECT_EQ(backend.ran(), std::vector<std::string>{"request"}) << c.what;
  }
}

// The backend's answer-later code is the face's own: the host sees kOk.
TEST_F(FaceTest, WaitingAcquisitionAnswersOk) {
  lb::SdkLock lock(requests);
  backend.answer = lb::kAnswerLater;
  uint64_t waiting = 0;
  EXPECT_EQ(lock.acquireLock("c", lb::kChannelMessage, "l", true, waiting), lb::kOk);
  EXPECT_NE(waiting, 0u);
}

TEST_F(FaceTest, ABackendThatThrowsAnswersFailureAndThrowsNothing) {
  struct Throwing {
    static int run(lb::FaceRequests& requests, uint64_t& id) {
      return requests.run(
          id, lb::Need::kNothing,
          [](std::vector<lb::Event>&) -> int { throw std::runtime_error("backend fault"); },
          lb::plainResult(&sdk::IKivEventHandler::onLoginResult));
    }
  };
  uint64_t id = 0;
  int code = lb::kOk;
  EXPECT_NO_THROW(code = Throwing::run(requests, id));
  EXPECT_EQ(code, lb::kFailure);
}

TEST_F(FaceTest, StreamChannelsOfAReleasedClientAnswerOnTheirOwn) {
  lb::SdkStreamChannels channels;
  int code = -1;
  EXPECT_EQ(channels.create(requests, "", &recorder, &code), nullptr);
  EXPECT_EQ(code, lb::kInvalidChannelName);
  sdk::IStreamChannel* channel = channels.create(requests, "room", &recorder, &code);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channels.create(requests, "room", &recorder, &code), nullptr);
  EXPECT_EQ(code, lb::kStreamChannelExists);

  channels.orphanAll();
  backend.clearRan();
  uint64_t id = 0;
  EXPECT_EQ(channel->joinTopic("t", {}, id), lb::kClientReleased);
  const auto result = recorder.waitResult("onJoinTopicResult", id);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->errorCode, lb::kClientReleased);
  EXPECT_EQ(channel->release(), lb::kOk);
  EXPECT_TRUE(backend.ran().empty()) << "a released client's backend was reached";
}

// The in-process backend answers a body that fails unexpectedly with a
// failure result, so the caller is not left waiting.
TEST(InProcessBackend, AnswersABodyThatThrows) {
  Recorder recorder;
  lb::EventDispatcher dispatcher(&recorder);
  {
    lb::InProcessBackend backend({9000001, "app", "alice", dispatcher});
    const int code = backend.request(
        77, lb::Need::kNothing,
        [](std::vector<lb::Event>&) -> int { throw std::runtime_error("fault"); },
        lb::plainResult(&sdk::IKivEventHandler::onLoginResult));
    EXPECT_EQ(code, lb::kFailure);
    const auto result = recorder.waitResult("onLoginResult", 77);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->errorCode, lb::kFailure);
    backend.release();
  }
  dispatcher.stop();
}

// Scripted backends for clients, logging into one log per client that
// outlives the client; made refuses with `refusal` when set.
struct Backends {
  int refusal = lb::kOk;
  int made = 0;
  std::vector<std::shared_ptr<OperationLog>> logs;

  lb::BackendMaker maker() {
    return [this](const lb::BackendClient& client, std::unique_ptr<lb::Backend>& out) -> int {
      ++made;
      if (refusal != lb::kOk) return refusal;
      logs.push_back(std::make_shared<OperationLog>());
      out = std::make_unique<ScriptedBackend>(client.events, logs.back());
      return lb::kOk;
    };
  }
};

bool contains(const std::vector<std::string>& values, const std::string& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

TEST(FaceClient, CreateRefusesIncompleteConfigurationsAndBackendRefusals) {
  Recorder recorder;
  struct Case {
    const char* what;
    const char* appId;
    const char* userId;
    int backendRefusal;
    int expected;
    int backendsAsked;
  };
  const Case cases[] = {
      {"no application", "", "alice", lb::kOk, lb::kInvalidAppId, 0},
      {"no user", "app", nullptr, lb::kOk, lb::kInvalidUserId, 0},
      {"the backend refuses", "app", "alice", lb::kInvalidRedisAddress, lb::kInvalidRedisAddress,
       1},
  };
  for (const Case& c : cases) {
    Backends backends;
    backends.refusal = c.backendRefusal;
    sdk::KivConfig config;
    config.appId = c.appId;
    config.userId = c.userId;
    config.eventHandler = &recorder;
    int code = -1;
    EXPECT_EQ(lb::SdkClient::create(&config, backends.maker(), &code), nullptr) << c.what;
    EXPECT_EQ(code, c.expected) << c.what;
    EXPECT_EQ(backends.made, c.backendsAsked) << c.what;
  }
  int code = -1;
  Backends backends;
  EXPECT_EQ(lb::SdkClient::create(nullptr, backends.maker(), &code), nullptr);
  EXPECT_EQ(code, lb::kInvalidArgument);
}

// A dropped link comes back through the face's timer with the session the
// backend named, but never to a client released in the meantime: the timer
// runs tasks in the order they are due, so once a later client's link is
// back, the released one's reconnection has had its turn.
TEST(FaceClient, ReconnectionAfterADropSkipsAReleasedClient) {
  Recorder recorder;
  Backends backends;
  sdk::KivConfig config;
  config.appId = "app";
  config.userId = "alice";
  config.eventHandler = &recorder;
  int code = -1;
  lb::SdkClient* released = lb::SdkClient::create(&config, backends.maker(), &code);
  ASSERT_NE(released, nullptr);
  ASSERT_EQ(released->setParameters(
                R"({"loopback.reconnect_delay_ms": 20, "loopback.drop_connection": true})"),
            lb::kOk);
  released->release();

  lb::SdkClient* kept = lb::SdkClient::create(&config, backends.maker(), &code);
  ASSERT_NE(kept, nullptr);
  ASSERT_EQ(kept->setParameters(
                R"({"loopback.reconnect_delay_ms": 60, "loopback.drop_connection": true})"),
            lb::kOk);
  const std::string relinked = "relinkAfterDrop " + std::to_string(kDropSession);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!contains(backends.logs[1]->operations(), relinked) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(contains(backends.logs[1]->operations(), relinked));
  const std::vector<std::string> first = backends.logs[0]->operations();
  EXPECT_TRUE(contains(first, "dropLink"));
  EXPECT_TRUE(contains(first, "release"));
  EXPECT_FALSE(contains(first, relinked)) << "a released client's backend was reached";
  kept->release();
}

}  // namespace
