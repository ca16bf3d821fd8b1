// The stand-in SDK driven directly: messages, presence, metadata, locks,
// history and stream-channel topics between users of one process.
#include <gtest/gtest.h>

#include <string>

#include "loopback_direct_fixture.h"

namespace loopback_test {
namespace {

using velmo::kiv::IStreamChannel;
using velmo::kiv::Metadata;
using velmo::kiv::MetadataItem;
using velmo::kiv::MetadataOptions;
using velmo::kiv::SubscribeOptions;

bool isMessage(const Call& c) { return c.name == "onMessageEvent"; }

TEST(LoopbackDirectMessages, PublishDeliversTheExactBytesToMessageSubscribersOnly) {
  TestUser alice("m-alice"), bob("m-bob"), quiet("m-quiet");
  const std::string channel = uniqueChannel("bytes");
  for (TestUser* user : {&alice, &bob, &quiet}) user->login();
  bob.subscribe(channel);
  SubscribeOptions noMessages;
  noMessages.withMessage = false;
  quiet.subscribe(channel, noMessages);

  std::string payload("\0\x01\xff\xfe text \x80", 12);
  std::string buffer = payload;
  velmo::kiv::PublishOptions options;
  options.customType = "kind";
  uint64_t id = 0;
  alice.client().publish(channel.c_str(), buffer.data(), buffer.size(), options, id);
  buffer.assign(buffer.size(), 'Z');  // the caller's memory may change once the call returns
  alice.expect("onPublishResult", id);

  const auto message = bob.recorder.waitFor(isMessage);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->payload, payload);
  EXPECT_EQ(message->user, "m-alice");
  EXPECT_EQ(message->channel, channel);
  EXPECT_EQ(message->details, "kind");
  // quiet is still told about presence, so its silence on messages is not a delivery lag.
  alice.publish(channel, "second");
  ASSERT_TRUE(
      bob.recorder.waitFor([](const Call& c) { return isMessage(c) && c.payload == "second"; }));
  EXPECT_TRUE(quiet.recorder.named("onMessageEvent").empty());
  EXPECT_TRUE(alice.recorder.named("onMessageEvent").empty());  // not subscribed
}

TEST(LoopbackDirectMessages, UserChannelMessagesReachEveryClientOfThatUser) {
  TestUser alice("u-alice"), bob("u-bob");
  alice.login();
  bob.login();
  velmo::kiv::PublishOptions options;
  options.channelType = kUserChannel;
  uint64_t id = 0;
  alice.client().publish("u-bob", "hi", 2, options, id);
  alice.expect("onPublishResult", id);
  const auto message = bob.recorder.waitFor(isMessage);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->channelType, kUserChannel);
  EXPECT_EQ(message->channel, "u-alice");  // the sender, to reply to
}

TEST(LoopbackDirectPresence, JoinsStatesAndLeavesReachTheOthers) {
  TestUser alice("p-alice"), bob("p-bob");
  const std::string channel = uniqueChannel("presence");
  alice.login();
  bob.login();
  alice.subscribe(channel);
  bob.subscribe(channel);

  const auto snapshot = bob.recorder.waitFor(
      [](const Call& c) { return c.name == "onPresenceEvent" && c.type == kPresenceSnapshot; });
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->list, (std::vector<std::string>{"p-alice", "p-bob"}));
  const auto joined = alice.recorder.waitFor([](const Call& c) {
    return c.name == "onPresenceEvent" && c.type == kPresenceInterval && !c.list.empty();
  });
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->list, std::vector<std::string>{"p-bob"});

  velmo::kiv::StateItem mood{"mood", "happy"};
  uint64_t id = 0;
  bob.client().getPresence()->setState(channel.c_str(), kMessageChannel, &mood, 1, id);
  bob.expect("onPresenceSetStateResult", id);
  const auto state = alice.recorder.waitFor(
      [](const Call& c) { return c.name == "onPresenceEvent" && c.items.count("mood"); });
  ASSERT_TRUE(state);
  EXPECT_EQ(state->items.at("mood"), "happy");

  alice.client().getPresence()->getState(channel.c_str(), kMessageChannel, "p-bob", id);
  EXPECT_EQ(alice.expect("onPresenceGetStateResult", id).items.at("mood"), "happy");
  velmo::kiv::PresenceOptions who;
  who.includeState = true;
  alice.client().getPresence()->whoNow(channel.c_str(), kMessageChannel, who, id);
  const Call users = alice.expect("onWhoNowResult", id);
  EXPECT_EQ(users.list, (std::vector<std::string>{"p-alice", "p-bob"}));
  EXPECT_EQ(users.items.at("p-bob.mood"), "happy");
  alice.client().getPresence()->whereNow("p-bob", id);
  EXPECT_EQ(alice.expect("onWhereNowResult", id).list, std::vector<std::string>{"1:" + channel});

  bob.client().logout(id);
  bob.expect("onLogoutResult", id);
  const auto left = alice.recorder.waitFor(
      [](const Call& c) { return c.name == "onPresenceEvent" && !c.list2.empty(); });
  ASSERT_TRUE(left);
  EXPECT_EQ(left->list2, std::vector<std::string>{"p-bob"});
  alice.client().getPresence()->whereNow("p-bob", id);
  EXPECT_TRUE(alice.expect("onWhereNowResult", id).list.empty());
}

TEST(LoopbackDirectPresence, StateNeedsMembershipAndUnknownUsersAreNotPresent) {
  TestUser alice("s-alice");
  alice.login();
  const std::string channel = uniqueChannel("state");
  velmo::kiv::StateItem item{"k", "v"};
  uint64_t id = 0;
  alice.client().getPresence()->setState(channel.c_str(), kMessageChannel, &item, 1, id);
  alice.expect("onPresenceSetStateResult", id, kNotInChannel);
  alice.client().getPresence()->getState(channel.c_str(), kMessageChannel, "nobody", id);
  EXPECT_NE(alice.expect("onPresenceGetStateResult", id, 22).user, "");
}

Metadata oneItem(const char* key, const char* value, int64_t major, MetadataItem& item) {
  item = MetadataItem();
  item.key = key;
  item.value = value;
  Metadata data;
  data.majorRevision = major;
  data.items = &item;
  data.itemCount = 1;
  return data;
}

TEST(LoopbackDirectStorage, WritesReachSubscribersAndStaleRevisionsAreRefused) {
  TestUser alice("st-alice"), bob("st-bob");
  const std::string channel = uniqueChannel("storage");
  alice.login();
  bob.login();
  SubscribeOptions withMetadata;
  withMetadata.withMetadata = true;
  alice.subscribe(channel, withMetadata);

  MetadataItem item;
  MetadataOptions options;
  options.recordUserId = true;
  uint64_t id = 0;
  bob.client().getStorage()->setChannelMetadata(channel.c_str(), kMessageChannel,
                                                oneItem("color", "red", -1, item), options, "", id);
  bob.expect("onSetChannelMetadataResult", id);
  const auto seen = alice.recorder.waitFor(
      [](const Call& c) { return c.name == "onStorageEvent" && c.items.count("color"); });
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->items.at("color"), "red");
  EXPECT_EQ(seen->majorRevision, 1);

  // Revision 0 is stale now; the current one (1) is accepted.
  bob.client().getStorage()->updateChannelMetadata(
      channel.c_str(), kMessageChannel, oneItem("color", "blue", 0, item), options, "", id);
  bob.expect("onUpdateChannelMetadataResult", id, kRevisionMismatch);
  bob.client().getStorage()->updateChannelMetadata(
      channel.c_str(), kMessageChannel, oneItem("color", "blue", 1, item), options, "", id);
  bob.expect("onUpdateChannelMetadataResult", id);
  bob.client().getStorage()->getChannelMetadata(channel.c_str(), kMessageChannel, id);
  const Call current = bob.expect("onGetChannelMetadataResult", id);
  EXPECT_EQ(current.items.at("color"), "blue");
  EXPECT_EQ(current.majorRevision, 2);

  // A stale item revision is refused too.
  MetadataItem stale;
  Metadata data = oneItem("color", "green", -1, stale);
  stale.revision = 1;
  bob.client().getStorage()->setChannelMetadata(channel.c_str(), kMessageChannel, data, options, "",
                                                id);
  bob.expect("onSetChannelMetadataResult", id, kRevisionMismatch);
}

TEST(LoopbackDirectStorage, LockGuardedWritesNeedTheLockHolder) {
  TestUser alice("lw-alice"), bob("lw-bob");
  const std::string channel = uniqueChannel("guarded");
  alice.login();
  bob.login();
  uint64_t id = 0;
  alice.client().getLock()->setLock(channel.c_str(), kMessageChannel, "pen", 30, id);
  alice.expect("onSetLockResult", id);
  alice.client().getLock()->acquireLock(channel.c_str(), kMessageChannel, "pen", false, id);
  alice.expect("onAcquireLockResult", id);

  MetadataItem item;
  bob.client().getStorage()->setChannelMetadata(channel.c_str(), kMessageChannel,
                                                oneItem("k", "v", -1, item), {}, "pen", id);
  bob.expect("onSetChannelMetadataResult", id, kLockNotHeld);
  alice.client().getStorage()->setChannelMetadata(channel.c_str(), kMessageChannel,
                                                  oneItem("k", "v", -1, item), {}, "pen", id);
  alice.expect("onSetChannelMetadataResult", id);
}

TEST(LoopbackDirectStorage, UserMetadataFollowersSeeWritesWithTheAuthor) {
  TestUser alice("um-alice"), bob("um-bob");
  alice.login();
  bob.login();
  uint64_t id = 0;
  alice.client().getStorage()->subscribeUserMetadata("um-bob", id);
  alice.expect("onSubscribeUserMetadataResult", id);
  MetadataItem item;
  MetadataOptions options;
  options.recordUserId = true;
  bob.client().getStorage()->setUserMetadata("um-bob", oneItem("bio", "hi", -1, item), options, id);
  bob.expect("onSetUserMetadataResult", id);
  EXPECT_TRUE(alice.recorder.waitFor([](const Call& c) {
    return c.name == "onStorageEvent" && c.items.count("bio") && c.user == "um-bob";
  }));
  alice.client().getStorage()->getUserMetadata("um-bob", id);
  EXPECT_EQ(alice.expect("onGetUserMetadataResult", id).list, std::vector<std::string>{"um-bob"});
}

TEST(LoopbackDirectLocks, ContentionWithAndWithoutRetry) {
  TestUser alice("l-alice"), bob("l-bob");
  const std::string channel = uniqueChannel("locks");
  alice.login();
  bob.login();
  SubscribeOptions withLock;
  withLock.withLock = true;
  bob.subscribe(channel, withLock);
  velmo::kiv::IKivLock& aliceLock = *alice.client().getLock();
  velmo::kiv::IKivLock& bobLock = *bob.client().getLock();
  uint64_t id = 0;
  aliceLock.setLock(channel.c_str(), kMessageChannel, "door", 30, id);
  alice.expect("onSetLockResult", id);
  aliceLock.acquireLock(channel.c_str(), kMessageChannel, "door", false, id);
  alice.expect("onAcquireLockResult", id);

  bobLock.acquireLock(channel.c_str(), kMessageChannel, "door", false, id);
  EXPECT_EQ(bob.expect("onAcquireLockResult", id, kLockHeldElsewhere).details,
            "lock is held by l-alice");
  bobLock.releaseLock(channel.c_str(), kMessageChannel, "door", id);
  bob.expect("onReleaseLockResult", id, kLockNotHeld);

  uint64_t waiting = 0;
  bobLock.acquireLock(channel.c_str(), kMessageChannel, "door", true, waiting);
  aliceLock.getLocks(channel.c_str(), kMessageChannel, id);
  EXPECT_EQ(alice.expect("onGetLocksResult", id).list, std::vector<std::string>{"door=l-alice"});
  EXPECT_TRUE(bob.recorder.named("onAcquireLockResult").size() == 1u);  // still waiting

  aliceLock.releaseLock(channel.c_str(), kMessageChannel, "door", id);
  alice.expect("onReleaseLockResult", id);
  bob.expect("onAcquireLockResult", waiting);
  aliceLock.getLocks(channel.c_str(), kMessageChannel, id);
  EXPECT_EQ(alice.expect("onGetLocksResult", id).list, std::vector<std::string>{"door=l-bob"});
  EXPECT_TRUE(bob.recorder.waitFor([](const Call& c) {
    return c.name == "onLockEvent" && c.type == kLockAcquired && c.list.at(0) == "door=l-bob";
  }));
}

TEST(LoopbackDirectLocks, AHoldersLockIsFreedAfterItsTtlOnceItLogsOut) {
  TestUser alice("e-alice"), bob("e-bob");
  const std::string channel = uniqueChannel("expiry");
  alice.login();
  bob.login();
  SubscribeOptions withLock;
  withLock.withLock = true;
  bob.subscribe(channel, withLock);
  ASSERT_EQ(alice.client().setParameters(R"({"loopback.ttl_unit_ms": 20})"), kOk);
  uint64_t id = 0;
  alice.client().getLock()->setLock(channel.c_str(), kMessageChannel, "key", 2, id);
  alice.expect("onSetLockResult", id);
  alice.client().getLock()->acquireLock(channel.c_str(), kMessageChannel, "key", false, id);
  alice.expect("onAcquireLockResult", id);
  uint64_t waiting = 0;
  bob.client().getLock()->acquireLock(channel.c_str(), kMessageChannel, "key", true, waiting);
  alice.client().logout(id);
  alice.expect("onLogoutResult", id);

  bob.expect("onAcquireLockResult", waiting);
  EXPECT_TRUE(bob.recorder.waitFor(
      [](const Call& c) { return c.name == "onLockEvent" && c.type == kLockExpired; }));
  ASSERT_EQ(alice.client().setParameters(R"({"loopback.ttl_unit_ms": 1000})"), kOk);
}

TEST(LoopbackDirectHistory, PagesWalkBackFromTheNewestMessage) {
  TestUser alice("h-alice");
  alice.login();
  const std::string channel = uniqueChannel("history");
  for (const char* text : {"m1", "m2", "m3", "m4", "m5"}) alice.publish(channel, text, true);
  alice.publish(channel, "not stored", false);

  std::vector<std::string> seen;
  velmo::kiv::GetHistoryMessagesOptions options;
  options.messageCount = 2;
  for (int page = 0; page < 5; ++page) {
    uint64_t id = 0;
    alice.client().getHistory()->getMessages(channel.c_str(), kMessageChannel, options, id);
    const Call result = alice.expect("onGetHistoryMessagesResult", id);
    EXPECT_LE(result.list.size(), 2u);
    seen.insert(seen.end(), result.list.begin(), result.list.end());
    if (result.newStart == 0) break;
    options.start = result.newStart;
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"m5", "m4", "m3", "m2", "m1"}));
}

struct StreamUser {
  explicit StreamUser(const std::string& id, const std::string& channelName) : user(id) {
    user.login();
    int error = -1;
    channel = user.client().createStreamChannel(channelName.c_str(), &error);
    EXPECT_EQ(error, kOk);
    uint64_t request = 0;
    channel->join({}, request);
    user.expect("onJoinResult", request);
  }
  ~StreamUser() {
    if (channel) {
      EXPECT_EQ(channel->release(), kOk);
    }
  }
  TestUser user;
  IStreamChannel* channel = nullptr;
};

TEST(LoopbackDirectTopics, TopicMessagesReachOnlyTopicSubscribers) {
  const std::string name = uniqueChannel("stream");
  StreamUser alice("t-alice", name), bob("t-bob", name), carol("t-carol", name);
  uint64_t id = 0;
  velmo::kiv::JoinTopicOptions joinOptions;
  joinOptions.meta = "cam";
  alice.channel->joinTopic("video", joinOptions, id);
  EXPECT_EQ(alice.user.expect("onJoinTopicResult", id).details, "cam");
  EXPECT_TRUE(carol.user.recorder.waitFor(
      [](const Call& c) { return c.name == "onTopicEvent" && c.type == 2; }));

  bob.channel->subscribeTopic("video", {}, id);
  EXPECT_EQ(bob.user.expect("onSubscribeTopicResult", id).list,
            std::vector<std::string>{"t-alice"});
  const char* named[] = {"t-alice", "t-nobody"};
  velmo::kiv::TopicOptions filter;
  filter.users = named;
  filter.userCount = 2;
  carol.channel->subscribeTopic("audio", filter, id);
  const Call partial = carol.user.expect("onSubscribeTopicResult", id);
  EXPECT_TRUE(partial.list.empty());  // alice publishes in "video", not "audio"
  EXPECT_EQ(partial.list2, (std::vector<std::string>{"t-alice", "t-nobody"}));

  const std::string frame(
      "\x00\x10"
      "frame",
      7);
  alice.channel->publishTopicMessage("video", frame.data(), frame.size(), {}, id);
  alice.user.expect("onPublishTopicMessageResult", id);
  const auto message = bob.user.recorder.waitFor(isMessage);
  ASSERT_TRUE(message);
  EXPECT_EQ(message->payload, frame);
  EXPECT_EQ(message->topic, "video");
  EXPECT_EQ(message->channelType, kStreamChannel);

  bob.channel->getSubscribedUserList("video", id);
  EXPECT_EQ(bob.user.expect("onGetSubscribedUserListResult", id).list,
            std::vector<std::string>{"t-alice"});
  // carol's own request after the publish is answered after any delivery to her.
  carol.channel->getSubscribedUserList("video", id);
  carol.user.expect("onGetSubscribedUserListResult", id);
  EXPECT_TRUE(carol.user.recorder.named("onMessageEvent").empty());
  EXPECT_TRUE(alice.user.recorder.named("onMessageEvent").empty());

  // A subscription naming one publisher gets that publisher's messages only.
  bob.channel->joinTopic("video", {}, id);
  bob.user.expect("onJoinTopicResult", id);
  const char* onlyBob[] = {"t-bob"};
  velmo::kiv::TopicOptions bobOnly;
  bobOnly.users = onlyBob;
  bobOnly.userCount = 1;
  carol.channel->subscribeTopic("video", bobOnly, id);
  EXPECT_EQ(carol.user.expect("onSubscribeTopicResult", id).list,
            std::vector<std::string>{"t-bob"});
  alice.channel->publishTopicMessage("video", "from alice", 10, {}, id);
  alice.user.expect("onPublishTopicMessageResult", id);
  bob.channel->publishTopicMessage("video", "from bob", 8, {}, id);
  bob.user.expect("onPublishTopicMessageResult", id);
  const auto fromBob = carol.user.recorder.waitFor(isMessage);
  ASSERT_TRUE(fromBob);
  EXPECT_EQ(fromBob->payload, "from bob");  // alice's came first and was not delivered
  EXPECT_EQ(carol.user.recorder.named("onMessageEvent").size(), 1u);

  // Leaving the channel takes alice out of the topic, and bob is told.
  alice.channel->leave(id);
  alice.user.expect("onLeaveResult", id);
  EXPECT_TRUE(bob.user.recorder.waitFor(
      [](const Call& c) { return c.name == "onTopicEvent" && c.type == 3; }));
  alice.channel->publishTopicMessage("video", "x", 1, {}, id);
  alice.user.expect("onPublishTopicMessageResult", id, kNotInChannel);
}

TEST(LoopbackDirectTopics, DuplicateStreamChannelsAreRefusedAndOrphansStaySafe) {
  TestUser alice("o-alice");
  int error = 0;
  IStreamChannel* first = alice.client().createStreamChannel("orphan", &error);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(alice.client().createStreamChannel("orphan", &error), nullptr);
  EXPECT_EQ(error, 12);
  EXPECT_STREQ(first->getChannelName(), "orphan");
  alice.release();
  // Its client is gone: every request still gets its result, with the refusal's
  // code, and the channel frees itself.
  uint64_t id = 0;
  EXPECT_EQ(first->join({}, id), 24);
  EXPECT_NE(id, 0u);
  alice.expect("onJoinResult", id, 24);
  EXPECT_EQ(first->joinTopic("t", {}, id), 24);
  alice.expect("onJoinTopicResult", id, 24);
  EXPECT_EQ(first->release(), kOk);
}

}  // namespace
}  // namespace loopback_test
