// Every refusal made once the call's module is found writes a null result, so
// a host never reads what the buffer held before (an earlier call's answer).
// Refusals of a module's own key checks are covered with their keys; these are
// the ones made around the module: the payload length, and an exception.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "support/engine_harness.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

struct RefusalCase {
  const char* label;
  const char* api;
  const char* params;
  bool payloadWithLength;  // the payload "abc" handed over, with bufferLengths {3}
  bool sdkThrows;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.label; }

class ModuleRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ModuleRefusal, AnswersMinusTwoWithANullResult) {
  const RefusalCase& c = GetParam();
  FakeEngine engine;
  ASSERT_EQ(engine.createClient().code, 0);
  ASSERT_EQ(engine.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})").code,
            0);
  if (c.sdkThrows)
    engine.sdk().setCallHook([](const SdkCall&) { throw std::runtime_error("sdk failed"); });
  char payload[] = "abc";
  void* buffers[] = {payload};
  unsigned lengths[] = {3};
  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
  std::strcpy(result.data(), R"({"requestId":7,"result":0})");
  ApiParam param{c.api,
                 c.params,
                 static_cast<unsigned>(std::strlen(c.params)),
                 result.data(),
                 c.payloadWithLength ? buffers : nullptr,
                 c.payloadWithLength ? lengths : nullptr,
                 c.payloadWithLength ? 1u : 0u};
  EXPECT_EQ(CallQuonKivApi(engine.handle(), &param), -2);
  EXPECT_STREQ(result.data(), "null");
  engine.sdk().setCallHook(nullptr);
}

constexpr const char* kTopicPublish = "StreamChannel_publishTopicMessage_a31773e";

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleRefusal,
    ::testing::Values(RefusalCase{"negative length", "KivClient_publish_2d36e93",
                                  R"({"channelName":"c","message":1,"length":-1,"option":{}})",
                                  false, false},
                      RefusalCase{"length above the buffer", kTopicPublish,
                                  R"({"channelName":"ch","topic":"t","length":4,"option":{}})",
                                  true, false},
                      RefusalCase{"exception inside the module", "KivClient_login_1fa04dd",
                                  R"({"token":"t"})", false, true}),
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
