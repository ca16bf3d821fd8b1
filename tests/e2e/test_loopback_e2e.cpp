// The library end to end on the loopback SDK, through its exported C functions
// only: users in one process, each with an engine and a sink of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "wrapper_host.h"

namespace loopback_e2e {
namespace {

// Stand-in codes the tests expect (docs/loopback-sdk.md).
constexpr int kRevisionMismatch = 15;
constexpr int kLockHeldElsewhere = 19;

std::string uniqueChannel(const std::string& stem) {
  static std::atomic<int> counter{0};
  return "e2e-" + stem + "-" + std::to_string(++counter);
}

const json kEverything = {
    {"withMessage", true}, {"withPresence", true}, {"withMetadata", true}, {"withLock", true}};

std::vector<std::string> userIds(const json& list) {
  std::vector<std::string> ids;
  for (const json& user : list) ids.push_back(user.value("userId", ""));
  return ids;
}

class LoopbackE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    if (!wrapper(&error)) GTEST_FAIL() << "cannot load the library: " << error;
  }
};

TEST_F(LoopbackE2e, VersionAndErrorReasonsComeFromTheStandIn) {
  int build = 0;
  EXPECT_STREQ(wrapper()->GetQuonKivVersion(&build), "1.0.0-loopback");
  EXPECT_EQ(build, 100);
  EXPECT_STREQ(wrapper()->GetQuonKivErrorReason(kLockHeldElsewhere),
               "lock is held by another user");
}

TEST_F(LoopbackE2e, TwoUsersExchangeAMessageWithItsExactBytes) {
  HostUser alice("e2e-alice"), bob("e2e-bob");
  const std::string channel = uniqueChannel("lobby");
  alice.login();
  bob.login();
  alice.subscribe(channel, kEverything);
  bob.subscribe(channel, kEverything);

  const std::string payload("\x00\xff\x7f\x80\xc3\xa9\n\r hello", 14);
  const uint64_t id = alice.request(
      api::kPublish,
      {{"channelName", channel}, {"length", payload.size()}, {"option", json::object()}}, &payload);
  alice.expect(event::kPublish, id);
  const auto message = bob.events.waitFor(event::kMessage);
  ASSERT_TRUE(message);
  ASSERT_EQ(message->buffers.size(), 1u);
  EXPECT_EQ(message->buffers[0], payload);
  EXPECT_EQ(message->data["event"]["publisher"], "e2e-alice");
  EXPECT_EQ(message->data["event"]["channelName"], channel);
  EXPECT_EQ(message->data["event"]["messageLength"], payload.size());
  EXPECT_EQ(message->data.dump().find("hello"), std::string::npos);
}

TEST_F(LoopbackE2e, BothUsersArePresentAndSeeEachOther) {
  HostUser alice("e2e-p-alice"), bob("e2e-p-bob");
  const std::string channel = uniqueChannel("presence");
  alice.login();
  bob.login();
  alice.subscribe(channel, kEverything);
  bob.subscribe(channel, kEverything);

  EXPECT_TRUE(alice.events.waitFor(event::kPresence, [](const HostEvent& e) {
    return e.data["event"]["interval"]["joinUserList"]["users"] == json{"e2e-p-bob"};
  }));
  const auto snapshot = bob.events.waitFor(event::kPresence, [](const HostEvent& e) {
    return e.data["event"]["snapshot"]["userCount"] == 2;
  });
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(userIds(snapshot->data["event"]["snapshot"]["userStateList"]),
            (std::vector<std::string>{"e2e-p-alice", "e2e-p-bob"}));

  const uint64_t id = alice.request(
      api::kWhoNow, {{"channelName", channel}, {"channelType", 1}, {"options", json::object()}});
  const HostEvent who = alice.expect(event::kWhoNow, id);
  EXPECT_EQ(userIds(who.data["userStateList"]),
            (std::vector<std::string>{"e2e-p-alice", "e2e-p-bob"}));
  EXPECT_EQ(who.data["count"], 2);
}

TEST_F(LoopbackE2e, AMetadataWriteReachesTheOtherUserAndAStaleRevisionIsRefused) {
  HostUser alice("e2e-m-alice"), bob("e2e-m-bob");
  const std::string channel = uniqueChannel("metadata");
  alice.login();
  bob.login();
  bob.subscribe(channel, kEverything);

  const json item = {{"key", "menu"}, {"value", "soup"}};
  uint64_t id = alice.request(api::kSetChannelMetadata, {{"channelName", channel},
                                                         {"channelType", 1},
                                                         {"data", {{"items", {item}}}},
                                                         {"options", {{"recordUserId", true}}},
                                                         {"lockName", ""}});
  alice.expect(event::kSetChannelMetadata, id);
  const auto storage = bob.events.waitFor(event::kStorage, [](const HostEvent& e) {
    return !e.data["event"]["data"]["items"].empty();
  });
  ASSERT_TRUE(storage);
  const json& written = storage->data["event"]["data"]["items"][0];
  EXPECT_EQ(written["key"], "menu");
  EXPECT_EQ(written["value"], "soup");
  EXPECT_EQ(written["authorUserId"], "e2e-m-alice");
  EXPECT_EQ(storage->data["event"]["data"]["majorRevision"], 1);

  id = alice.request(api::kUpdateChannelMetadata,
                     {{"channelName", channel},
                      {"channelType", 1},
                      {"data", {{"majorRevision", 0}, {"items", {item}}}},
                      {"options", json::object()},
                      {"lockName", ""}});
  alice.expect(event::kUpdateChannelMetadata, id, kRevisionMismatch);
}

TEST_F(LoopbackE2e, LockContentionWithAndWithoutRetry) {
  HostUser alice("e2e-l-alice"), bob("e2e-l-bob");
  const std::string channel = uniqueChannel("locks");
  alice.login();
  bob.login();
  const json pen = {{"channelName", channel}, {"channelType", 1}, {"lockName", "pen"}};
  json setLock = pen;
  setLock["ttl"] = 30;
  alice.expect(event::kSetLock, alice.request(api::kSetLock, setLock));
  json noRetry = pen;
  noRetry["retry"] = false;
  json retry = pen;
  retry["retry"] = true;
  alice.expect(event::kAcquireLock, alice.request(api::kAcquireLock, noRetry));

  const HostEvent refused =
      bob.expect(event::kAcquireLock, bob.request(api::kAcquireLock, noRetry), kLockHeldElsewhere);
  EXPECT_EQ(refused.data["errorDetails"], "lock is held by e2e-l-alice");
  const uint64_t waiting = bob.request(api::kAcquireLock, retry);
  alice.expect(event::kReleaseLock, alice.request(api::kReleaseLock, pen));
  bob.expect(event::kAcquireLock, waiting);

  const HostEvent locks =
      alice.expect(event::kGetLocks,
                   alice.request(api::kGetLocks, {{"channelName", channel}, {"channelType", 1}}));
  ASSERT_EQ(locks.data["lockDetailList"].size(), 1u);
  EXPECT_EQ(locks.data["lockDetailList"][0]["owner"], "e2e-l-bob");
}

TEST_F(LoopbackE2e, HistoryPagesCarryThePayloadsAsBuffers) {
  HostUser alice("e2e-h-alice");
  const std::string channel = uniqueChannel("history");
  alice.login();
  for (const std::string text : {"one", "two", "three"}) {
    alice.expect(event::kPublish, alice.request(api::kPublish,
                                                {{"channelName", channel},
                                                 {"length", text.size()},
                                                 {"option", {{"storeInHistory", true}}}},
                                                &text));
  }
  const json first = {
      {"channelName", channel}, {"channelType", 1}, {"options", {{"messageCount", 2}}}};
  const HostEvent page1 = alice.expect(event::kHistory, alice.request(api::kGetMessages, first));
  EXPECT_EQ(page1.buffers, (std::vector<std::string>{"three", "two"}));
  EXPECT_EQ(page1.data["count"], 2);
  const uint64_t newStart = page1.data.value("newStart", uint64_t{0});
  ASSERT_NE(newStart, 0u);

  json next = first;
  next["options"]["start_str"] = std::to_string(newStart);
  const HostEvent page2 = alice.expect(event::kHistory, alice.request(api::kGetMessages, next));
  EXPECT_EQ(page2.buffers, std::vector<std::string>{"one"});
  EXPECT_EQ(page2.data["newStart"], 0);
}

TEST_F(LoopbackE2e, ATopicMessageReachesOnlyTopicSubscribers) {
  const std::string channel = uniqueChannel("stream");
  HostUser alice("e2e-t-alice"), bob("e2e-t-bob"), carol("e2e-t-carol");
  for (HostUser* user : {&alice, &bob, &carol}) {
    user->login();
    json created;
    ASSERT_EQ(user->call(api::kCreateStream, {{"channelName", channel}}, nullptr, &created), 0);
    EXPECT_EQ(created.value("errorCode", -1), 0);
    user->expect(event::kJoin, user->request(api::kStreamJoin, {{"channelName", channel},
                                                                {"options", json::object()}}));
  }
  alice.expect(event::kJoinTopic, alice.request(api::kJoinTopic, {{"channelName", channel},
                                                                  {"topic", "video"},
                                                                  {"options", {{"meta", "cam"}}}}));
  const HostEvent subscribed = bob.expect(
      event::kSubscribeTopic,
      bob.request(api::kSubscribeTopic,
                  {{"channelName", channel}, {"topic", "video"}, {"options", json::object()}}));
  EXPECT_EQ(subscribed.data["succeedUsers"]["users"], json{"e2e-t-alice"});

  const std::string frame("\x01\x02\x00\x03", 4);
  alice.expect(event::kPublishTopic, alice.request(api::kPublishTopic,
                                                   {{"channelName", channel},
                                                    {"topic", "video"},
                                                    {"length", frame.size()},
                                                    {"option", json::object()}},
                                                   &frame));
  const auto message = bob.events.waitFor(event::kMessage);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->buffers, std::vector<std::string>{frame});
  EXPECT_EQ(message->data["event"]["channelTopic"], "video");
  // carol's own answer comes after anything queued for her before it.
  carol.expect(
      event::kSubscribeTopic,
      carol.request(api::kSubscribeTopic,
                    {{"channelName", channel}, {"topic", "audio"}, {"options", json::object()}}));
  EXPECT_TRUE(carol.events.named(event::kMessage).empty());

  for (HostUser* user : {&alice, &bob, &carol}) {
    json released;
    EXPECT_EQ(user->call(api::kStreamRelease, {{"channelName", channel}}, nullptr, &released), 0);
    EXPECT_EQ(released.value("result", -1), 0);
  }
}

TEST_F(LoopbackE2e, LogoutProducesALeaveForTheOthers) {
  HostUser alice("e2e-o-alice"), bob("e2e-o-bob");
  const std::string channel = uniqueChannel("logout");
  alice.login();
  bob.login();
  alice.subscribe(channel, kEverything);
  bob.subscribe(channel, kEverything);
  bob.expect(event::kLogout, bob.request(api::kLogout, json::object()));
  EXPECT_TRUE(alice.events.waitFor(event::kPresence, [](const HostEvent& e) {
    return e.data["event"]["interval"]["leaveUserList"]["users"] == json{"e2e-o-bob"};
  }));
}

TEST_F(LoopbackE2e, FaultInjectionFailsRequestsAndDropsTheConnection) {
  HostUser alice("e2e-f-alice");
  alice.login();
  json result;
  ASSERT_EQ(alice.call(api::kSetParameters,
                       {{"parameters",
                         R"({"loopback.fail_next_requests":1,"loopback.fail_error_code":77})"}},
                       nullptr, &result),
            0);
  EXPECT_EQ(result.value("result", -1), 0);
  const std::string text = "x";
  const json publish = {{"channelName", "e2e-faults"}, {"length", 1}, {"option", json::object()}};
  alice.expect(event::kPublish, alice.request(api::kPublish, publish, &text), 77);
  alice.expect(event::kPublish, alice.request(api::kPublish, publish, &text), 0);

  ASSERT_EQ(alice.call(api::kSetParameters,
                       {{"parameters",
                         R"({"loopback.reconnect_delay_ms":20,"loopback.drop_connection":true})"}},
                       nullptr, &result),
            0);
  EXPECT_EQ(result.value("result", -1), 0);
  EXPECT_TRUE(alice.events.waitFor(event::kConnectionState, [](const HostEvent& e) {
    return e.data["state"] == 4;  // reconnecting
  }));
  EXPECT_TRUE(alice.events.waitFor(event::kLinkState, [](const HostEvent& e) {
    return e.data["event"]["currentState"] == 3;  // disconnected
  }));
  EXPECT_TRUE(alice.events.waitFor(event::kLinkState, [](const HostEvent& e) {
    return e.data["event"]["isResumed"] == true && e.data["event"]["currentState"] == 2;
  }));
}

// Run once under valgrind too (see docs/loopback-sdk.md): nothing may leak.
TEST_F(LoopbackE2e, CreateReleaseLoopDeliversNothingAfterRelease) {
  HostUser sender("e2e-r-sender");
  sender.login();
  const std::string channel = uniqueChannel("loop");
  for (int i = 0; i < 20; ++i) {
    auto user = std::make_unique<HostUser>("e2e-r-user");
    user->login();
    user->subscribe(channel, kEverything);
    const std::string text = "queued";
    user->request(api::kPublish,
                  {{"channelName", channel}, {"length", text.size()}, {"option", json::object()}},
                  &text);
    user->releaseClient();
    const size_t seen = user->events.size();
    const std::string after = "after";
    sender.expect(event::kPublish, sender.request(api::kPublish,
                                                  {{"channelName", channel},
                                                   {"length", after.size()},
                                                   {"option", json::object()}},
                                                  &after));
    EXPECT_EQ(user->events.size(), seen) << "iteration " << i;
  }
}

}  // namespace
}  // namespace loopback_e2e
