// Stream channels: creation by name, routing by "channelName", release.
#include <gtest/gtest.h>

#include <string>

#include "modules/log_capture.h"
#include "modules/module_fixture.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

constexpr const char* kJoin = "StreamChannel_join_2090a6b";
constexpr const char* kCreate = "KivClient_createStreamChannel_ae3d0cf";

class StreamChannels : public EngineFixture<> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    createClient();
  }
};

TEST_F(StreamChannels, UnknownChannelAnswersMinusTwoInTheResult) {
  startRecording();
  const ApiReply reply = call(kJoin, R"({"channelName":"nope","options":{}})");
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.result, R"({"result":-2})");
  EXPECT_EQ(sdk().callCount(), 0u);
}

TEST_F(StreamChannels, MissingChannelNameIsRefused) {
  createChannel("ch");
  startRecording();
  for (const char* params : {R"({"options":{}})", R"({"channelName":5,"options":{}})", "[]"}) {
    const ApiReply reply = call(kJoin, params);
    EXPECT_EQ(reply.code, -2) << params;
    EXPECT_EQ(reply.result, "null");
  }
  EXPECT_EQ(call("StreamChannel_bogus", "{}").code, -2);
  EXPECT_EQ(sdk().callCount(), 0u);
}

TEST_F(StreamChannels, NameOutsideTheChannelTableAnswersMinus1009) {
  createChannel("ch");
  const ApiReply reply = call("StreamChannel_join", R"({"channelName":"ch","options":{}})");
  EXPECT_EQ(reply.code, -1009);
  EXPECT_EQ(reply.result, "null");
}

TEST_F(StreamChannels, EachNameRoutesToItsOwnChannel) {
  createChannel("a");
  createChannel("b");
  startRecording();
  ASSERT_EQ(call("StreamChannel_leave_90386a9", R"({"channelName":"b"})").code, 0);
  ASSERT_EQ(call("StreamChannel_leave_90386a9", R"({"channelName":"a"})").code, 0);
  const auto calls = sdk().calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].target, sdk().channel(1)->id());
  EXPECT_EQ(calls[1].target, sdk().channel(0)->id());
}

TEST_F(StreamChannels, CreatingANameTwiceKeepsTheSecondWithoutReleasingTheFirst) {
  createChannel("ch");
  createChannel("ch");
  ASSERT_EQ(sdk().channelCount(), 2u);
  ASSERT_EQ(call(kJoin, R"({"channelName":"ch","options":{}})").code, 0);
  EXPECT_EQ(sdk().calls("IStreamChannel::join").at(0).target, sdk().channel(1)->id());
  EXPECT_TRUE(sdk().calls("IStreamChannel::release").empty());
}

TEST_F(StreamChannels, ReleaseRemovesTheChannelEvenWhenTheSdkRefuses) {
  createChannel("ch");
  sdk().setReturn("IStreamChannel::release", 3);
  const ApiReply release = call("StreamChannel_release", R"({"channelName":"ch"})");
  EXPECT_EQ(release.code, 0);
  EXPECT_EQ(release.result, R"({"result":3})");
  startRecording();
  EXPECT_EQ(call("StreamChannel_leave_90386a9", R"({"channelName":"ch"})").result,
            R"({"result":-2})");
  EXPECT_EQ(sdk().callCount(), 0u);
}

TEST_F(StreamChannels, ReleasedNameCanBeCreatedAgain) {
  createChannel("ch");
  ASSERT_EQ(call("StreamChannel_release", R"({"channelName":"ch"})").code, 0);
  createChannel("ch");
  startRecording();
  EXPECT_EQ(call(kJoin, R"({"channelName":"ch","options":{}})").code, 0);
  EXPECT_EQ(sdk().calls().at(0).target, sdk().channel(1)->id());
}

TEST_F(StreamChannels, NullChannelNameReadsAsEmptyText) {
  createChannel("ch");
  sdk().channel(0)->setName(std::nullopt);
  const ApiReply reply = call("StreamChannel_getChannelName", R"({"channelName":"ch"})");
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.result, R"({"result":""})");
}

TEST_F(StreamChannels, FailedCreationReportsTheSdkErrorTwice) {
  sdk().failChannelCreation(-11);
  LogCapture log;
  const ApiReply reply = call(kCreate, R"({"channelName":"ch"})");
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.result, R"({"errorCode":-11,"result":-11})");
  EXPECT_TRUE(log.has(spdlog::level::err, "createStreamChannel error code: -11"));
  EXPECT_EQ(call(kJoin, R"({"channelName":"ch","options":{}})").result, R"({"result":-2})");
}

TEST_F(StreamChannels, PublishPayloadComesFromTheCallsBuffer) {
  createChannel("ch");
  startRecording();
  char payload[] = "bytes";
  const ApiReply reply =
      callApi(engine_.handle(), "StreamChannel_publishTopicMessage_a31773e",
              R"({"channelName":"ch","topic":"t","length":5,"option":{}})", {payload});
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(sdk().calls().at(0).args["message"],
            static_cast<uint64_t>(reinterpret_cast<uintptr_t>(payload)));
}

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
