// An engine on the recording fake SDK, with helpers to give it a client and
// stream channels, for the module tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "common/utils/quon_logger.h"
#include "modules/api_rows.h"
#include "support/engine_harness.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {

template <class Base = ::testing::Test>
class EngineFixture : public Base {
 protected:
  void SetUp() override {
    sdk().setReturn("IKivClient::setParameters", kClientSetParametersAnswer);
    sdk().setReturn("IStreamChannel::setParameters", kChannelSetParametersAnswer);
    sdk().setReturn("IStreamChannel::release", kChannelReleaseAnswer);
    sdk().setReturn("IKivClient::release", kClientReleaseAnswer);
  }

  // The tests share one process-wide log: leave it as they found it.
  void TearDown() override {
    QuonLogger::instance().setDebugMode(false);
    QuonLogger::instance().setLogLevel(spdlog::level::info);
  }

  RecordingSdk& sdk() { return engine_.sdk(); }

  void createClient() {
    const ApiReply reply = engine_.createClient();
    ASSERT_EQ(reply.code, 0);
    ASSERT_EQ(reply.result, R"({"errorCode":0,"result":0})");
  }

  void createChannel(const std::string& name) {
    const ApiReply reply =
        engine_.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":")" + name + "\"}");
    ASSERT_EQ(reply.code, 0);
    ASSERT_EQ(reply.result, R"({"errorCode":0,"result":0})");
  }

  // Forget the set-up calls; request ids start at kFirstRequestId.
  void startRecording() {
    sdk().clearCalls();
    sdk().setNextRequestId(kFirstRequestId);
  }

  ApiReply call(const char* api, const char* params) {
    return callApi(engine_.handle(), api, params);
  }

  FakeEngine engine_;
};

}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
