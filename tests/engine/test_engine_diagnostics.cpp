// A refused call says why in the log: the key and the kind wanted for -2, the
// near names for an unknown API name. Codes and results stay as they were.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "modules/log_capture.h"
#include "support/engine_harness.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {
namespace {

struct DiagnosticCase {
  const char* api;
  const char* params;
  int code;
  const char* line;  // part of the error line that explains the refusal
};

void PrintTo(const DiagnosticCase& c, std::ostream* os) { *os << c.api << " " << c.params; }

class RefusalReason : public ::testing::TestWithParam<DiagnosticCase> {};

TEST_P(RefusalReason, IsLoggedAtErrorLevel) {
  FakeEngine engine;
  ASSERT_EQ(engine.createClient().code, 0);
  ASSERT_EQ(engine.call("KivClient_createStreamChannel_ae3d0cf", R"({"channelName":"ch"})").code,
            0);
  LogCapture log;
  const DiagnosticCase& c = GetParam();
  EXPECT_EQ(engine.call(c.api, c.params).code, c.code);
  EXPECT_TRUE(log.has(spdlog::level::err, c.line)) << "wanted a line with: " << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalReason,
    ::testing::Values(
        DiagnosticCase{"KivClient_subscribe_3fae92d", R"({"channelName":"lobby"})", -2,
                       R"(api name KivClient_subscribe_3fae92d key "options" is missing, )"
                       R"(wanted object (SubscribeOptions))"},
        DiagnosticCase{"KivLock_setLock_89e5672",
                       R"({"channelName":"c","channelType":1,"lockName":"l","ttl":"5"})", -2,
                       R"(key "ttl" is a string, wanted unsigned)"},
        DiagnosticCase{"KivClient_setLogLevel", R"({"level":true})", -2,
                       R"(key "level" is a boolean, wanted integer)"},
        DiagnosticCase{"KivClient_createStreamChannel_ae3d0cf", "[1]", -2,
                       R"(key "channelName" is missing (parameters are not an object))"},
        DiagnosticCase{"KivPresence_setState_b73723a",
                       R"({"channelName":"c","channelType":1,"items":[],"count":2})", -2,
                       R"(key "count" is larger than "items" holds)"},
        DiagnosticCase{"StreamChannel_leave_90386a9", R"({"channelName":"nope"})", 0,
                       R"(key "channelName" names no stream channel)"},
        DiagnosticCase{"KivClient_logn_1fa04dd", "{}", -1009,
                       "api name KivClient_logn_1fa04dd is not known to its module; near names: "
                       "KivClient_login_1fa04dd"},
        DiagnosticCase{"StreamChannel_leav_90386a9", R"({"channelName":"ch"})", -1009,
                       "near names: StreamChannel_leave_90386a9"},
        DiagnosticCase{"KivClent_login_1fa04dd", "{}", -4,
                       "api name KivClent_login_1fa04dd has no module; near names: "
                       "KivClient_login_1fa04dd"},
        DiagnosticCase{"Nothing", "{}", -4, "api name Nothing has no module"}),
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
