// Faults that only the Redis backend has: its server unreachable at login,
// lost in the middle of a session, and back again empty after a restart.
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "loopback_direct_fixture.h"
#include "redis_server.h"

namespace loopback_test {
namespace {

enum : int { kServiceUnreachable = 26, kLinkConnected = 2, kLinkDisconnected = 3 };

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
  velmo::kiv::SubscribeOptions options;
  options.withPresence = true;
  watcher.subscribe(channel, options);

  const std::string command = std::string(VELMO_REDIS_PEER) + " doomed " + channel;
  FILE* peer = popen(command.c_str(), "r");
  ASSERT_NE(peer, nullptr);
  int pid = 0;
  ASSERT_EQ(std::fscanf(peer, "ready %d", &pid), 1);
  ASSERT_TRUE(watcher.recorder.waitFor([](const Call& c) {
    return c.name == "onPresenceEvent" && !c.list.empty() && c.list[0] == "doomed";
  }));
  // Killed: it never logs out; its liveness key runs out and another process
  // logs its clients out.
  kill(pid, SIGKILL);
  pclose(peer);
  EXPECT_TRUE(watcher.recorder.waitFor([](const Call& c) {
    return c.name == "onPresenceEvent" && !c.list2.empty() && c.list2[0] == "doomed";
  }));
}

}  // namespace
}  // namespace loopback_test
