// Faults that only the Redis backend has: its server unreachable at login,
// lost in the middle of a session, back again empty after a restart, or
// named wrongly; processes that die or pause; application ids that look
// alike.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "loopback_direct_fixture.h"
#include "redis_server.h"

namespace loopback_test {
namespace {

enum : int {
  kServiceUnreachable = 26,
  kInvalidRedisAddress = 27,
  kLinkConnected = 2,
  kLinkDisconnected = 3
};

// Clients created while it lives use the given server.
class UsingServer {
 public:
  explicit UsingServer(const std::string& address) {
    if (const char* current = std::getenv("VELMO_KIV_LOOPBACK_REDIS")) previous_ = current;
    setenv("VELMO_KIV_LOOPBACK_REDIS", address.c_str(), 1);
  }
  ~UsingServer() {
    if (previous_)
      setenv("VELMO_KIV_LOOPBACK_REDIS", previous_->c_str(), 1);
    else
      unsetenv("VELMO_KIV_LOOPBACK_REDIS");
  }

 private:
  std::optional<std::string> previous_;
};

Recorder::Match linkState(int state) {
  return [state](const Call& c) { return c.name == "onLinkStateEvent" && c.state == state; };
}

Recorder::Match message(const std::string& payload) {
  return [payload](const Call& c) { return c.name == "onMessageEvent" && c.payload == payload; };
}

Recorder::Match presence(bool joined, const std::string& user) {
  return [joined, user](const Call& c) {
    const std::vector<std::string>& list = joined ? c.list : c.list2;
    return c.name == "onPresenceEvent" && c.type == kPresenceInterval && !list.empty() &&
           list[0] == user;
  };
}

// A client in a process of its own (redis_peer), in the channel given;
// killed at the end.
class Peer {
 public:
  Peer(const std::string& user, const std::string& channel) {
    const std::string command = std::string(VELMO_REDIS_PEER) + " " + user + " " + channel;
    out_ = popen(command.c_str(), "r");
    // Its login's link-state line comes first.
    std::vector<std::string> seen;
    while (pid_ == 0 && readLine(seen))
      if (seen.back().rfind("ready ", 0) == 0) pid_ = std::atoi(seen.back().c_str() + 6);
  }
  ~Peer() {
    signal(SIGKILL);
    if (out_) pclose(out_);
  }
  bool started() const { return pid_ > 0; }
  void signal(int number) {
    if (pid_ > 0) kill(pid_, number);
  }
  // Reads the peer's lines up to the one given; false at its end (it
  // ends by itself within a minute), with every line read in *seen.
  bool readUntil(const std::string& wanted, std::vector<std::string>& seen) {
    while (readLine(seen))
      if (seen.back() == wanted) return true;
    return false;
  }

 private:
  bool readLine(std::vector<std::string>& seen) {
    char line[512];
    if (!out_ || !std::fgets(line, sizeof line, out_)) return false;
    seen.emplace_back(line, std::strcspn(line, "\n"));
    return true;
  }

  FILE* out_ = nullptr;
  int pid_ = 0;
};

size_t countMessages(Recorder& recorder, const std::string& payload) {
  size_t count = 0;
  for (const Call& call : recorder.named("onMessageEvent")) count += call.payload == payload;
  return count;
}

TEST(RedisFaults, LoginWhileTheServerIsUnreachableFailsThenSucceedsOnceItIsUp) {
  RedisServer server;
  UsingServer use(server.address());
  TestUser alice("alice-early");
  uint64_t id = 0;
  alice.client().login("token", id);
  alice.expect("onLoginResult", id, kServiceUnreachable);
  EXPECT_TRUE(alice.recorder.named("onLinkStateEvent").empty());

  ASSERT_TRUE(server.start());
  alice.login();
}

TEST(RedisFaults, ALostServerIsReportedRefusesRequestsAndComesBackWithSubscriptions) {
  RedisServer server;
  ASSERT_TRUE(server.start());
  UsingServer use(server.address());
  TestUser alice("alice-restart");
  TestUser bob("bob-restart");
  alice.login();
  bob.login();
  const std::string channel = uniqueChannel("restart");
  velmo::kiv::SubscribeOptions options;
  options.withMessage = true;
  bob.subscribe(channel, options);
  alice.publish(channel, "before");
  ASSERT_TRUE(bob.recorder.waitFor(message("before")));

  server.stop();
  ASSERT_TRUE(bob.recorder.waitFor(linkState(kLinkDisconnected)));
  ASSERT_TRUE(alice.recorder.waitFor(linkState(kLinkDisconnected)));
  // While the link is down a request still gets its result, with an error code.
  uint64_t id = 0;
  velmo::kiv::PublishOptions publish;
  alice.client().publish(channel.c_str(), "while down", 10, publish, id);
  alice.expect("onPublishResult", id, kNotConnected);

  // Back on the same port, but empty: both clients are registered and bob
  // is in the channel again before either hears that the link is back.
  const size_t aliceMark = alice.recorder.size();
  const size_t bobMark = bob.recorder.size();
  ASSERT_TRUE(server.start());
  ASSERT_TRUE(alice.recorder.waitFor(linkState(kLinkConnected), aliceMark));
  ASSERT_TRUE(bob.recorder.waitFor(linkState(kLinkConnected), bobMark));
  alice.publish(channel, "after");
  alice.publish(channel, "last");
  ASSERT_TRUE(bob.recorder.waitFor(message("last")));
  // One publisher's messages arrive in order: by "last", "after" has come, once.
  EXPECT_EQ(countMessages(bob.recorder, "after"), 1u);
  EXPECT_EQ(countMessages(bob.recorder, "before"), 1u);
  EXPECT_EQ(countMessages(bob.recorder, "while down"), 0u);
}

TEST(RedisFaults, TheUsersOfAProcessThatDiedLeaveTheChannelsItWasIn) {
  TestUser watcher("watcher");
  watcher.login();
  const std::string channel = uniqueChannel("dies");
  watcher.subscribe(channel);

  Peer peer("doomed", channel);
  ASSERT_TRUE(peer.started());
  ASSERT_TRUE(watcher.recorder.waitFor(presence(true, "doomed")));
  // Killed: it never logs out; its liveness key runs out and another process
  // logs its clients out.
  peer.signal(SIGKILL);
  EXPECT_TRUE(watcher.recorder.waitFor(presence(false, "doomed")));
}

TEST(RedisFaults, AProcessPausedLongerThanItsLivenessComesBackAndReceivesAgain) {
  TestUser watcher("watcher-pause");
  watcher.login();
  const std::string channel = uniqueChannel("pause");
  watcher.subscribe(channel);
  Peer peer("sleeper", channel);
  ASSERT_TRUE(peer.started());
  ASSERT_TRUE(watcher.recorder.waitFor(presence(true, "sleeper")));

  // Paused past its liveness, it is taken for dead and logged out.
  peer.signal(SIGSTOP);
  ASSERT_TRUE(watcher.recorder.waitFor(presence(false, "sleeper")));
  sleep(2);
  const size_t mark = watcher.recorder.size();
  peer.signal(SIGCONT);
  // It notices, registers again and re-enters the channel: the others see it return.
  ASSERT_TRUE(watcher.recorder.waitFor(presence(true, "sleeper"), mark));
  watcher.publish(channel, "after the pause");
  std::vector<std::string> seen;
  EXPECT_TRUE(peer.readUntil("message after the pause", seen));
  const std::vector<std::string> link{"link " + std::to_string(kLinkDisconnected),
                                      "link " + std::to_string(kLinkConnected)};
  // Its link went down and came back, as after a lost connection.
  EXPECT_NE(std::search(seen.begin(), seen.end(), link.begin(), link.end()), seen.end());
}

TEST(RedisFaults, AProcessKilledWhileTheServerIsDownIsGoneFromTheSnapshotAfterwards) {
  RedisServer server;
  ASSERT_TRUE(server.start());
  UsingServer use(server.address());
  TestUser watcher("watcher-offline");
  watcher.login();
  const std::string channel = uniqueChannel("offline");
  watcher.subscribe(channel);
  Peer peer("doomed-offline", channel);
  ASSERT_TRUE(peer.started());
  ASSERT_TRUE(watcher.recorder.waitFor(presence(true, "doomed-offline")));

  server.stop();
  ASSERT_TRUE(watcher.recorder.waitFor(linkState(kLinkDisconnected)));
  peer.signal(SIGKILL);
  const size_t mark = watcher.recorder.size();
  ASSERT_TRUE(server.start());
  ASSERT_TRUE(watcher.recorder.waitFor(linkState(kLinkConnected), mark));
  // After the link is back, a fresh snapshot says who is present now.
  const std::optional<Call> snapshot = watcher.recorder.waitFor(
      [&channel](const Call& c) {
        return c.name == "onPresenceEvent" && c.type == kPresenceSnapshot && c.channel == channel;
      },
      mark);
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->list, std::vector<std::string>{"watcher-offline"});
}

// A user that logs out, or whose client is released, while the link is down
// leaves once the link is back (the server kept its data meanwhile).
class RedisLeavingWhileDown : public ::testing::TestWithParam<bool> {};

TEST_P(RedisLeavingWhileDown, TakesEffectOnceTheLinkIsBack) {
  const bool release = GetParam();
  RedisServer server(true);
  ASSERT_TRUE(server.start());
  UsingServer use(server.address());
  TestUser watcher("watcher-down");
  TestUser leaver("leaver-down");
  watcher.login();
  leaver.login();
  const std::string channel = uniqueChannel("down");
  watcher.subscribe(channel);
  leaver.subscribe(channel);

  server.stop();
  ASSERT_TRUE(watcher.recorder.waitFor(linkState(kLinkDisconnected)));
  if (release) {
    leaver.release();
  } else {
    uint64_t id = 0;
    leaver.client().logout(id);
    leaver.expect("onLogoutResult", id);
  }
  const size_t mark = watcher.recorder.size();
  ASSERT_TRUE(server.start());
  ASSERT_TRUE(watcher.recorder.waitFor(linkState(kLinkConnected), mark));
  uint64_t id = 0;
  watcher.client().getPresence()->whoNow(channel.c_str(), kMessageChannel,
                                         velmo::kiv::PresenceOptions(), id);
  EXPECT_EQ(watcher.expect("onWhoNowResult", id).list, std::vector<std::string>{"watcher-down"});
}

INSTANTIATE_TEST_SUITE_P(LogoutAndRelease, RedisLeavingWhileDown, ::testing::Bool());

TEST(RedisFaults, ApplicationIdsThatJoinWithChannelNamesToTheSameTextStayApart) {
  // "co" + "lobby:ch:1:NAME" and "co:ch:1:lobby" + "NAME" read alike once joined.
  const std::string name = uniqueChannel("collide");
  TestUser near("near", "co");
  TestUser far("far", "co:ch:1:lobby");
  near.login();
  far.login();
  near.subscribe("lobby:ch:1:" + name);
  far.subscribe(name);
  const std::optional<Call> snapshot = far.recorder.waitFor(
      [](const Call& c) { return c.name == "onPresenceEvent" && c.type == kPresenceSnapshot; });
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->list, std::vector<std::string>{"far"});

  near.publish("lobby:ch:1:" + name, "meant for co");
  // far's own message comes through the same inbox after any of near's.
  far.publish(name, "meant for the other");
  ASSERT_TRUE(far.recorder.waitFor(message("meant for the other")));
  EXPECT_EQ(countMessages(far.recorder, "meant for co"), 0u);
  EXPECT_TRUE(near.recorder.waitFor(message("meant for co")));
}

// A malformed address names what is wrong with it (and no client is made).
class RedisBadAddress : public ::testing::TestWithParam<const char*> {};

TEST_P(RedisBadAddress, IsRefusedWithTheCodeForAnAddress) {
  UsingServer use(GetParam());
  velmo::kiv::KivConfig config;
  config.appId = "loopback-test";
  config.userId = "nowhere";
  int error = 0;
  EXPECT_EQ(createKivClient(&config, &error), nullptr);
  EXPECT_EQ(error, kInvalidRedisAddress);
  EXPECT_NE(std::string(getKivErrorReason(error)).find("VELMO_KIV_LOOPBACK_REDIS"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Forms, RedisBadAddress,
                         ::testing::Values("127.0.0.1:http", "127.0.0.1:", "127.0.0.1:0",
                                           "127.0.0.1:70000", "redis://127.0.0.1:6379/x",
                                           "redis://127.0.0.1:6379/5000"));

}  // namespace
}  // namespace loopback_test
