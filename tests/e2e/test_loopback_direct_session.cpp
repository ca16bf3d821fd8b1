// The stand-in SDK driven directly: creation, sessions, callback threading and
// order, fault injection, and release.
#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <ostream>
#include <thread>

#include "loopback_direct_fixture.h"

namespace loopback_test {
namespace {

using velmo::kiv::IKivClient;
using velmo::kiv::KivConfig;

struct CreateCase {
  const char* label;
  const char* appId;
  const char* userId;
  int expected;
};

void PrintTo(const CreateCase& c, std::ostream* os) { *os << c.label; }

class LoopbackDirectCreate : public ::testing::TestWithParam<CreateCase> {};

TEST_P(LoopbackDirectCreate, RefusesAConfigurationWithoutIds) {
  KivConfig config;
  config.appId = GetParam().appId;
  config.userId = GetParam().userId;
  int error = 0;
  IKivClient* client = createKivClient(&config, &error);
  EXPECT_EQ(client, nullptr);
  EXPECT_EQ(error, GetParam().expected);
  EXPECT_STRNE(getKivErrorReason(error), getKivErrorReason(123456));
}

INSTANTIATE_TEST_SUITE_P(Ids, LoopbackDirectCreate,
                         ::testing::Values(CreateCase{"NullApp", nullptr, "u", kInvalidAppId},
                                           CreateCase{"EmptyApp", "", "u", kInvalidAppId},
                                           CreateCase{"NullUser", "app", nullptr, kInvalidUserId},
                                           CreateCase{"EmptyUser", "app", "", kInvalidUserId}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(LoopbackDirectEntry, NullConfigAndNullErrorPointerAreSafe) {
  EXPECT_EQ(createKivClient(nullptr, nullptr), nullptr);
  int build = 0;
  EXPECT_STREQ(getKivVersion(&build), "1.0.0-loopback");
  EXPECT_EQ(build, 100);
  EXPECT_STREQ(getKivErrorReason(kNotLoggedIn), "not logged in");
  EXPECT_STREQ(getKivErrorReason(-99), "unknown error code");
}

TEST(LoopbackDirectSession, EmptyTokenFailsAndLoginReportsTheLinkFirst) {
  TestUser alice("alice");
  uint64_t refused = 0;
  alice.client().login("", refused);
  alice.expect("onLoginResult", refused, kInvalidToken);

  uint64_t id = 0;
  alice.client().login("secret", id);
  EXPECT_GT(id, refused);
  alice.expect("onLoginResult", id);
  const auto calls = alice.recorder.calls();
  const auto link = std::find_if(calls.begin(), calls.end(),
                                 [](const Call& c) { return c.name == "onLinkStateEvent"; });
  const auto result = std::find_if(calls.begin(), calls.end(), [id](const Call& c) {
    return c.name == "onLoginResult" && c.requestId == id;
  });
  ASSERT_NE(link, calls.end());
  EXPECT_LT(link - calls.begin(), result - calls.begin());
  EXPECT_EQ(link->state, 2);  // connected
}

TEST(LoopbackDirectSession, RequestsBeforeLoginFailWithNotLoggedIn) {
  TestUser bob("bob");
  uint64_t id = 0;
  bob.client().subscribe("anything", {}, id);
  bob.expect("onSubscribeResult", id, kNotLoggedIn);
  bob.client().getPresence()->whereNow("bob", id);
  bob.expect("onWhereNowResult", id, kNotLoggedIn);
  bob.client().logout(id);
  bob.expect("onLogoutResult", id, kNotLoggedIn);
}

TEST(LoopbackDirectSession, CallbacksComeOnOneOtherThreadInRequestOrder) {
  TestUser carol("carol");
  carol.login();
  const std::string channel = uniqueChannel("order");
  std::vector<uint64_t> ids(40);
  velmo::kiv::PublishOptions options;
  for (uint64_t& id : ids) carol.client().publish(channel.c_str(), "x", 1, options, id);
  for (size_t i = 1; i < ids.size(); ++i) EXPECT_GT(ids[i], ids[i - 1]);
  carol.expect("onPublishResult", ids.back());

  const auto results = carol.recorder.named("onPublishResult");
  ASSERT_EQ(results.size(), ids.size());
  for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(results[i].requestId, ids[i]);
  for (const Call& call : carol.recorder.calls()) {
    EXPECT_NE(call.thread, std::this_thread::get_id());
    EXPECT_EQ(call.thread, results.front().thread);
  }
}

TEST(LoopbackDirectSession, RequestIdsAreUniqueAcrossClientsAndThreads) {
  TestUser a("ids-a");
  TestUser b("ids-b");
  auto burst = [](IKivClient* client) {
    std::vector<uint64_t> ids(200);
    for (uint64_t& id : ids) client->getPresence()->whereNow("x", id);
    return ids;
  };
  auto first = std::async(std::launch::async, burst, a.sdk);
  auto second = std::async(std::launch::async, burst, b.sdk);
  std::vector<uint64_t> all = first.get();
  const std::vector<uint64_t> more = second.get();
  all.insert(all.end(), more.begin(), more.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
}

TEST(LoopbackDirectFaults, FailNextRequestsUsesTheChosenCodeThenRecovers) {
  TestUser dave("dave");
  dave.login();
  ASSERT_EQ(dave.client().setParameters(
                R"({"loopback.fail_next_requests": 2, "loopback.fail_error_code": 77})"),
            kOk);
  uint64_t first = 0, second = 0, third = 0;
  velmo::kiv::PublishOptions options;
  dave.client().publish("faults", "a", 1, options, first);
  dave.client().getLock()->getLocks("faults", kMessageChannel, second);
  dave.client().publish("faults", "a", 1, options, third);
  dave.expect("onPublishResult", first, 77);
  dave.expect("onGetLocksResult", second, 77);
  dave.expect("onPublishResult", third, kOk);
}

TEST(LoopbackDirectFaults, MalformedParametersAreRefusedAndChangeNothing) {
  TestUser erin("erin");
  EXPECT_NE(erin.client().setParameters("not json"), kOk);
  EXPECT_NE(erin.client().setParameters(nullptr), kOk);
  EXPECT_NE(erin.client().setParameters(R"({"loopback.fail_next_requests": -1})"), kOk);
  EXPECT_NE(erin.client().setParameters(
                R"({"loopback.fail_next_requests": 1, "loopback.drop_connection": "yes"})"),
            kOk);
  EXPECT_EQ(erin.client().setParameters(R"({"kiv.app_type": 3})"), kOk);
  erin.login();  // no failure was armed by the refused texts
}

TEST(LoopbackDirectFaults, DroppedConnectionFailsRequestsAndComesBack) {
  TestUser frank("frank");
  frank.login();
  const std::string channel = uniqueChannel("drop");
  frank.subscribe(channel);
  ASSERT_EQ(frank.client().setParameters(R"({"loopback.reconnect_delay_ms": 600000})"), kOk);
  ASSERT_EQ(frank.client().setParameters(R"({"loopback.drop_connection": true})"), kOk);
  uint64_t id = 0;
  frank.client().getPresence()->whereNow("frank", id);
  frank.expect("onWhereNowResult", id, kNotConnected);
  const auto dropped = frank.recorder.waitFor([](const Call& c) {
    return c.name == "onLinkStateEvent" && c.state == 3;  // disconnected
  });
  ASSERT_TRUE(dropped);
  EXPECT_EQ(dropped->list, std::vector<std::string>{channel});
  EXPECT_TRUE(frank.recorder.waitFor([](const Call& c) {
    return c.name == "onConnectionStateChanged" && c.state == 4;  // reconnecting
  }));

  // A second drop is refused while down; a quick reconnect after logging in again.
  EXPECT_NE(frank.client().setParameters(R"({"loopback.drop_connection": true})"), kOk);
  frank.client().logout(id);
  frank.expect("onLogoutResult", id);
  frank.login();
  ASSERT_EQ(frank.client().setParameters(
                R"({"loopback.reconnect_delay_ms": 10, "loopback.drop_connection": true})"),
            kOk);
  const auto back = frank.recorder.waitFor(
      [](const Call& c) { return c.name == "onLinkStateEvent" && c.resumed; });
  ASSERT_TRUE(back);
  EXPECT_EQ(back->state, 2);
  frank.client().getPresence()->whereNow("frank", id);
  frank.expect("onWhereNowResult", id, kOk);
}

TEST(LoopbackDirectFaults, TokenWillExpireReachesBothCallbacks) {
  TestUser gina("gina");
  ASSERT_EQ(gina.client().setParameters(R"({"loopback.token_will_expire": true})"), kOk);
  EXPECT_TRUE(gina.recorder.waitFor([](const Call& c) { return c.name == "onTokenEvent"; }));
  EXPECT_EQ(gina.recorder.named("onTokenPrivilegeWillExpire").size(), 1u);
}

// Messages sent to a channel a released client subscribed to must not reach it.
TEST(LoopbackDirectRelease, NoCallbackAfterReleaseInACreateReleaseLoop) {
  TestUser sender("loop-sender");
  sender.login();
  const std::string channel = uniqueChannel("loop");
  for (int i = 0; i < 30; ++i) {
    auto user = std::make_unique<TestUser>("loop-user");
    user->login();
    user->subscribe(channel);
    // Queue more events for it, then release without waiting for them.
    uint64_t id = 0;
    user->client().getPresence()->whereNow("loop-user", id);
    velmo::kiv::PublishOptions options;
    user->client().publish(channel.c_str(), "bye", 3, options, id);
    user->release();
    const size_t seen = user->recorder.size();
    sender.publish(channel, "after release");
    EXPECT_EQ(user->recorder.size(), seen) << "iteration " << i;
  }
}

TEST(LoopbackDirectRelease, ReleaseFromItsOwnCallbackDoesNotDeadlock) {
  auto user = std::make_unique<TestUser>("self-release");
  std::promise<void> released;
  user->recorder.onCall = [&](const Call& call) {
    if (call.name != "onLoginResult" || !user->sdk) return;
    IKivClient* client = user->sdk;
    user->sdk = nullptr;
    EXPECT_EQ(client->release(), kOk);
    released.set_value();
  };
  uint64_t id = 0;
  user->client().login("token", id);
  ASSERT_EQ(released.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  const size_t seen = user->recorder.size();
  // The client thread frees itself after that callback; nothing else arrives.
  TestUser other("self-release-peer");
  other.login();
  EXPECT_EQ(user->recorder.size(), seen);
  // The callback may still be unwinding on the detached thread: keep its recorder.
  static std::vector<std::unique_ptr<TestUser>> kept;
  kept.push_back(std::move(user));
}

}  // namespace
}  // namespace loopback_test
