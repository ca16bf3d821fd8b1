// The host kit against the built library: opening by path resolves the same
// exports the linker does, a wrong file is refused with a reason, and a call
// with a payload reaches the sink, which counts and copies what it is asked to.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host_kit.h"

namespace {

constexpr const char* kLogin = "KivClient_login_1fa04dd";

TEST(HostKit, OpeningTheLibraryResolvesWhatTheLinkerDoes) {
  HostKitLibrary library;
  ASSERT_EQ(host_kit_open(&library, VELMO_TEST_LIBRARY), 1) << library.error;
  EXPECT_STREQ(library.error, "");
  // Field by field, so that a table entry pointing at the wrong export shows.
  EXPECT_EQ(std::memcmp(&library.exports, host_kit_linked_exports(), sizeof library.exports), 0);
  int build = -1;
  EXPECT_STREQ(library.exports.GetQuonKivVersion(&build),
               host_kit_linked_exports()->GetQuonKivVersion(nullptr));
  EXPECT_EQ(host_kit_close(&library), 1);
  EXPECT_EQ(library.handle, nullptr);
  EXPECT_EQ(host_kit_close(&library), 0);  // nothing left to close
}

TEST(HostKit, AFileThatIsNotTheLibraryIsRefusedWithTheReason) {
  struct Case {
    const char* path;
    const char* reason;  // a part of the error
  };
  const Case cases[] = {
      {"/nonexistent/libVelmoKivWrapper.so", "/nonexistent/libVelmoKivWrapper.so"},
      {VELMO_TEST_SDK_LIBRARY, "does not export CreateQuonKivEngine"},
      {nullptr, "no path"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path ? c.path : "(null)");
    HostKitLibrary library;
    EXPECT_EQ(host_kit_open(&library, c.path), 0);
    EXPECT_NE(std::string(library.error).find(c.reason), std::string::npos) << library.error;
    EXPECT_EQ(library.handle, nullptr);
    EXPECT_EQ(library.exports.CallQuonKivApi, nullptr);
    EXPECT_EQ(host_kit_close(&library), 0);  // harmless after a failure
  }
}

TEST(HostKit, CallsReachTheLibraryAndEventsTheSink) {
  const HostKitExports* kiv = host_kit_linked_exports();
  host_kit_sink_reset();
  host_kit_sink_copy("onMessageEvent");
  QuonEventHandlerHandle sink = kiv->CreateQuonKivEventHandler(host_kit_sink_callbacks());
  QuonKivEngineHandle engine = kiv->CreateQuonKivEngine(nullptr);
  char result[QUON_KIV_RESULT_BUFFER_SIZE] = {};

  ASSERT_EQ(host_kit_call(kiv, engine, "KivClient_create",
                          R"({"config":{"appId":"kit","userId":"kit-user"}})", sink, 0, result),
            0)
      << result;
  ASSERT_EQ(host_kit_call(kiv, engine, kLogin, R"({"token":"t"})", nullptr, 0, result), 0);
  EXPECT_NE(std::strstr(result, "requestId"), nullptr) << result;
  ASSERT_EQ(host_kit_sink_wait(HOST_KIT_RESULTS, 1, 30), 1);
  ASSERT_EQ(
      host_kit_call(kiv, engine, "KivClient_subscribe_3fae92d",
                    R"({"channelName":"kit","options":{"withMessage":true}})", nullptr, 0, nullptr),
      0);
  ASSERT_EQ(host_kit_sink_wait(HOST_KIT_RESULTS, 2, 30), 1);

  // Buffer 0 carries the payload; its length comes from the parameters.
  char payload[5] = {'a', 'b', 'c', 'd', 'e'};
  ASSERT_EQ(host_kit_call(kiv, engine, "KivClient_publish_2d36e93",
                          R"({"channelName":"kit","length":5,"option":{"channelType":1}})", payload,
                          0, nullptr),
            0);
  ASSERT_EQ(host_kit_sink_wait(HOST_KIT_MESSAGES, 1, 30), 1);
  char data[512];
  unsigned payloadLength = 0;
  ASSERT_EQ(host_kit_sink_copied(0, data, sizeof data, &payloadLength), 1);
  EXPECT_EQ(payloadLength, 5u);
  EXPECT_NE(std::strstr(data, "kit"), nullptr) << data;
  EXPECT_EQ(host_kit_sink_copied(1, data, sizeof data, nullptr), 0);  // only the message
  EXPECT_GE(host_kit_sink_count(HOST_KIT_EVENTS), 3);

  // An unknown name is refused through the same path, and its result written.
  std::strcpy(result, "unwritten");
  EXPECT_NE(host_kit_call(kiv, engine, "KivClient_nope", nullptr, nullptr, 0, result), 0);
  EXPECT_STRNE(result, "unwritten");

  kiv->DestroyQuonKivEngine(engine);
  kiv->DestroyQuonKivEventHandler(sink);
  host_kit_sink_copy(nullptr);
  host_kit_sink_reset();
  EXPECT_EQ(host_kit_sink_count(HOST_KIT_EVENTS), 0);
  EXPECT_EQ(host_kit_sink_copied(0, data, sizeof data, nullptr), 0);
}

TEST(HostKit, AWaitForWhatNeverComesEnds) {
  host_kit_sink_reset();
  EXPECT_EQ(host_kit_sink_wait(HOST_KIT_MESSAGES, 1, 0.05), 0);
  EXPECT_EQ(host_kit_sink_wait(HOST_KIT_MESSAGES, 0, 0), 1);
  const double before = host_kit_now();
  host_kit_pause(0.001);
  EXPECT_GE(host_kit_now(), before);
}

}  // namespace
