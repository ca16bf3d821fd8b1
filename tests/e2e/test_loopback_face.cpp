// The SDK face over a scripted backend: what the face alone decides (request
// ids, injected failures, argument checks, answers for a released client,
// results answered later) whichever backend is beneath it; and the in-process
// backend answering a request whose body fails unexpectedly.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "loopback_recorder.h"
#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/face_requests.h"
#include "loopback_sdk/in_process/in_process_backend.h"
#include "loopback_sdk/sdk_lock.h"
#include "loopback_sdk/sdk_presence.h"
#include "loopback_sdk/sdk_results.h"
#include "loopback_sdk/sdk_stream_channel.h"

namespace lb = velmo::quon::kiv::loopback;
namespace sdk = velmo::kiv;
using loopback_test::Recorder;

namespace {

// Records which operations ran and answers each with `answer` (kOk unless set).
class ScriptedBackend final : public lb::Backend {
 public:
  explicit ScriptedBackend(lb::EventDispatcher& events) : events_(events) {}

  std::vector<std::string> ran;
  int answer = lb::kOk;
  bool loggedIn = true;

  int request(uint64_t requestId, lb::Need need, const Body& body,
              const ResultEvent& result) override {
    ran.push_back("request");
    std::vector<lb::Event> followUps;
    const int code =
        need == lb::Need::kConnection && !loggedIn ? lb::kNotLoggedIn : body(followUps);
    if (code != lb::kAnswerLater) events_.post(result(requestId, code));
    return code;
  }
  int login() override { return op("login"); }
  int logout() override { return op("logout"); }
  int dropLink(uint64_t&) override { return op("dropLink"); }
  void relinkAfterDrop(uint64_t) override { op("relinkAfterDrop"); }
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
    ran.push_back(name);
    return answer;
  }

  lb::EventDispatcher& events_;
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
  EXPECT_EQ(backend.ran, std::vector<std::string>{"request"});
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
    backend.ran.clear();
    uint64_t id = 0;
    EXPECT_EQ(c.call(id), c.expected) << c.what;
    EXPECT_EQ(backend.ran, std::vector<std::string>{"request"}) << c.what;
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
  backend.ran.clear();
  uint64_t id = 0;
  EXPECT_EQ(channel->joinTopic("t", {}, id), lb::kClientReleased);
  const auto result = recorder.waitResult("onJoinTopicResult", id);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->errorCode, lb::kClientReleased);
  EXPECT_EQ(channel->release(), lb::kOk);
  EXPECT_TRUE(backend.ran.empty()) << "a released client's backend was reached";
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

}  // namespace
