// What the Redis backend adds to the behaviour suite for history and stream
// channels: clients on separate links to Redis (as in separate processes),
// bytes and time stamps kept exact through the service, the history's cap,
// and channel and topic names that hold the key separator.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "loopback_direct_fixture.h"

namespace loopback_test {
namespace {

using velmo::kiv::IStreamChannel;

// A user whose client has a link of its own to the same Redis, as a client of
// another process has: the stand-in keeps one link per address.
std::unique_ptr<TestUser> remoteUser(const std::string& id) {
  const std::string shared = std::getenv("VELMO_KIV_LOOPBACK_REDIS");
  const size_t host = shared.find("127.0.0.1");
  if (host == std::string::npos) return nullptr;
  setenv("VELMO_KIV_LOOPBACK_REDIS", std::string(shared).replace(host, 9, "localhost").c_str(), 1);
  auto user = std::make_unique<TestUser>(id);
  setenv("VELMO_KIV_LOOPBACK_REDIS", shared.c_str(), 1);
  return user;
}

IStreamChannel* joinStream(TestUser& user, const std::string& name) {
  int error = -1;
  IStreamChannel* channel = user.client().createStreamChannel(name.c_str(), &error);
  EXPECT_EQ(error, kOk);
  if (!channel) return nullptr;
  uint64_t id = 0;
  channel->join({}, id);
  user.expect("onJoinResult", id);
  return channel;
}

void joinTopic(TestUser& user, IStreamChannel& channel, const char* topic) {
  uint64_t id = 0;
  channel.joinTopic(topic, {}, id);
  user.expect("onJoinTopicResult", id);
}

// The recorder, with the time stamp of every message event.
class StampRecorder : public Recorder {
 public:
  void onMessageEvent(const velmo::kiv::MessageEvent& event) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stamps_.push_back(event.timestamp);
    }
    Recorder::onMessageEvent(event);
  }
  std::vector<uint64_t> stamps() {
    std::lock_guard<std::mutex> lock(mutex_);
    return stamps_;
  }

 private:
  std::mutex mutex_;
  std::vector<uint64_t> stamps_;
};

TEST(LoopbackRedisStreams, TopicTrafficAndLeavesReachAnotherLinkExactly) {
  const std::string name = uniqueChannel("r-stream");
  TestUser alice("rs-alice");
  std::unique_ptr<TestUser> bob = remoteUser("rs-bob");
  if (!bob) GTEST_SKIP() << "needs the suite's own server on 127.0.0.1";
  alice.login();
  bob->login();
  IStreamChannel* sending = joinStream(alice, name);
  IStreamChannel* receiving = joinStream(*bob, name);
  ASSERT_TRUE(sending && receiving);
  joinTopic(alice, *sending, "video");
  uint64_t id = 0;
  receiving->subscribeTopic("video", {}, id);
  EXPECT_EQ(bob->expect("onSubscribeTopicResult", id).list, std::vector<std::string>{"rs-alice"});

  std::string everyByte;
  for (int i = 0; i < 256; ++i) everyByte += static_cast<char>(i);
  const std::string payloads[] = {"", std::string("\0\xff\x80\xc3", 4), everyByte,
                                  std::string(32768, '\xa5')};
  for (const std::string& payload : payloads) {
    velmo::kiv::TopicMessageOptions options;
    options.messageType = 2;
    options.customType = "bin";
    sending->publishTopicMessage("video", payload.data(), payload.size(), options, id);
    alice.expect("onPublishTopicMessageResult", id);
  }
  for (const std::string& payload : payloads) {
    const auto got = bob->recorder.waitFor(
        [&payload](const Call& c) { return c.name == "onMessageEvent" && c.payload == payload; });
    ASSERT_TRUE(got) << "payload of " << payload.size() << " bytes";
    EXPECT_EQ(got->topic, "video");
    EXPECT_EQ(got->user, "rs-alice");
    EXPECT_EQ(got->details, "bin");
    EXPECT_EQ(got->type, 2);
  }

  // Releasing alice's client takes her out of the channel and its topic; her
  // stream channel is still safe to use and to release.
  alice.release();
  const auto left =
      bob->recorder.waitFor([](const Call& c) { return c.name == "onTopicEvent" && c.type == 3; });
  ASSERT_TRUE(left);
  EXPECT_EQ(left->user, "rs-alice");
  EXPECT_EQ(left->list, std::vector<std::string>{"video/rs-alice"});
  receiving->getSubscribedUserList("video", id);
  EXPECT_TRUE(bob->expect("onGetSubscribedUserListResult", id).list.empty());
  EXPECT_EQ(sending->leave(id), 24);
  EXPECT_EQ(sending->release(), kOk);
  EXPECT_EQ(receiving->release(), kOk);
}

TEST(LoopbackRedisStreams, SenderTimeStampsArriveExactly) {
  const std::string name = uniqueChannel("r-stamps");
  TestUser alice("st-alice");
  alice.login();
  StampRecorder stamps;
  velmo::kiv::KivConfig config;
  config.appId = "loopback-test";
  config.userId = "st-bob";
  config.eventHandler = &stamps;
  velmo::kiv::IKivClient* bob = createKivClient(&config, nullptr);
  ASSERT_NE(bob, nullptr);
  uint64_t id = 0;
  bob->login("token", id);
  ASSERT_TRUE(stamps.waitResult("onLoginResult", id));
  IStreamChannel* receiving = bob->createStreamChannel(name.c_str(), nullptr);
  ASSERT_NE(receiving, nullptr);
  receiving->join({}, id);
  ASSERT_TRUE(stamps.waitResult("onJoinResult", id));
  IStreamChannel* sending = joinStream(alice, name);
  ASSERT_NE(sending, nullptr);
  joinTopic(alice, *sending, "t");
  receiving->subscribeTopic("t", {}, id);
  ASSERT_TRUE(stamps.waitResult("onSubscribeTopicResult", id));

  // Beyond 2^53 a double loses digits; the service must not.
  const uint64_t sent[] = {1, (uint64_t{1} << 53) + 1, UINT64_MAX};
  for (const uint64_t stamp : sent) {
    velmo::kiv::TopicMessageOptions options;
    options.sendTs = stamp;
    const std::string payload = std::to_string(stamp);
    sending->publishTopicMessage("t", payload.data(), payload.size(), options, id);
    alice.expect("onPublishTopicMessageResult", id);
    ASSERT_TRUE(stamps.waitFor(
        [&payload](const Call& c) { return c.name == "onMessageEvent" && c.payload == payload; }));
  }
  EXPECT_EQ(stamps.stamps(), std::vector<uint64_t>(std::begin(sent), std::end(sent)));
  EXPECT_EQ(sending->release(), kOk);
  EXPECT_EQ(receiving->release(), kOk);
  EXPECT_EQ(bob->release(), kOk);
}

TEST(LoopbackRedisStreams, NamesHoldingTheKeySeparatorStayApart) {
  const std::string name = uniqueChannel("r-sep");
  TestUser alice("sep-alice");
  alice.login();
  IStreamChannel* first = joinStream(alice, name);
  ASSERT_NE(first, nullptr);
  joinTopic(alice, *first, "x:topics");
  // Its keys would be the first channel's topic's under a plain "channel:topic" layout.
  const size_t before = alice.recorder.size();
  IStreamChannel* second = joinStream(alice, name + ":pub:x");
  ASSERT_NE(second, nullptr);
  const auto snapshot = alice.recorder.waitFor(
      [](const Call& c) { return c.name == "onTopicEvent" && c.type == 1; }, before);
  ASSERT_TRUE(snapshot);
  EXPECT_TRUE(snapshot->list.empty());
  joinTopic(alice, *second, "y");
  EXPECT_EQ(first->release(), kOk);
  EXPECT_EQ(second->release(), kOk);
}

TEST(LoopbackRedisHistory, AnotherLinkReadsTheNewestThousandWithTheirBytes) {
  const std::string channel = uniqueChannel("r-history");
  TestUser alice("rh-alice");
  std::unique_ptr<TestUser> bob = remoteUser("rh-bob");
  if (!bob) GTEST_SKIP() << "needs the suite's own server on 127.0.0.1";
  alice.login();
  bob->login();
  const std::string binary("\0\xff\x01\x80", 4);
  alice.publish(channel, binary, true);
  for (int i = 1; i <= 1001; ++i) alice.publish(channel, "m" + std::to_string(i), true);

  velmo::kiv::GetHistoryMessagesOptions options;
  options.messageCount = 2000;
  uint64_t id = 0;
  bob->client().getHistory()->getMessages(channel.c_str(), kMessageChannel, options, id);
  const Call all = bob->expect("onGetHistoryMessagesResult", id);
  ASSERT_EQ(all.list.size(), 1000u);  // the binary one and m1 fell out
  EXPECT_EQ(all.list.front(), "m1001");
  EXPECT_EQ(all.list.back(), "m2");
  EXPECT_EQ(all.newStart, 0u);

  const std::string other = uniqueChannel("r-history-bytes");
  alice.publish(other, binary, true);
  options.messageCount = 1;
  bob->client().getHistory()->getMessages(other.c_str(), kMessageChannel, options, id);
  EXPECT_EQ(bob->expect("onGetHistoryMessagesResult", id).list, std::vector<std::string>{binary});
}

}  // namespace
}  // namespace loopback_test
