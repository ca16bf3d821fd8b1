// Long and deeply nested input through the exports on the real target, where
// a thread has 1 MiB of stack (this program is linked with that size):
// whatever recurses per character or per nesting level crashes here first.
#include <gtest/gtest.h>

#include <string>

#include "wrapper_library.h"

namespace velmo_windows_test {
namespace {

std::string repeat(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

std::string nestedArrays(size_t depth) { return repeat("[", depth) + repeat("]", depth); }

struct LongInputCase {
  const char* label;
  const char* apiName;
  std::string params;
  int expectedCode;  // the engine has no SDK client: a readable call ends at -7
};

// For a call whose code is the SDK's to decide; surviving it is the point.
constexpr int kAnyCode = 1 << 30;

std::ostream& operator<<(std::ostream& out, const LongInputCase& c) { return out << c.label; }

class LongInput : public ::testing::TestWithParam<LongInputCase> {
 protected:
  void SetUp() override { ASSERT_TRUE(library_.ready()) << library_.missing(); }
  WrapperLibrary library_;
};

TEST_P(LongInput, AnswersWithACodeAndTheLibraryStaysUsable) {
  const WrapperExports& api = library_.api();
  QuonKivEngineHandle engine = api.CreateQuonKivEngine(nullptr);
  ASSERT_NE(engine, nullptr);
  const CallOutcome outcome = callApi(api, engine, GetParam().apiName, GetParam().params);
  if (GetParam().expectedCode != kAnyCode) {
    EXPECT_EQ(outcome.code, GetParam().expectedCode);
  }
  EXPECT_LT(outcome.result.size(), static_cast<size_t>(QUON_KIV_RESULT_BUFFER_SIZE));
  EXPECT_EQ(callApi(api, engine, "KivNothing_call", "{}").code, -4);
  api.DestroyQuonKivEngine(engine);
}

const std::string kLongToken(300000, 'a');

INSTANTIATE_TEST_SUITE_P(
    Windows, LongInput,
    ::testing::Values(
        // The token is masked in the log line before the call is routed.
        LongInputCase{"token_of_300000_characters", "KivClient_login_1fa04dd",
                      R"({"token":")" + kLongToken + R"("})", -7},
        LongInputCase{"token_of_300000_characters_with_blanks", "KivClient_login_1fa04dd",
                      R"({ "token" : ")" + kLongToken + R"(" })", -7},
        LongInputCase{"app_id_of_300000_characters", "KivClient_create",
                      R"({"config":{"appId":")" + kLongToken + R"(","userId":"u"}})", kAnyCode},
        LongInputCase{"arrays_nested_100000_deep", "KivClient_login_1fa04dd",
                      R"({"token":"t","extra":)" + nestedArrays(100000) + "}", -7},
        LongInputCase{"objects_nested_100000_deep", "KivClient_subscribe_3fae92d",
                      R"({"channelName":"c","options":)" + repeat(R"({"a":)", 100000) + "1" +
                          repeat("}", 100000) + "}",
                      -7},
        LongInputCase{"unclosed_arrays_200000_deep", "KivClient_login_1fa04dd",
                      R"({"token":)" + repeat("[", 200000), -2},
        LongInputCase{"escapes_300000_long", "KivClient_login_1fa04dd",
                      R"({"token":")" + repeat(R"(\u00e9\n)", 50000) + R"("})", -7}),
    [](const ::testing::TestParamInfo<LongInputCase>& info) { return info.param.label; });

}  // namespace
}  // namespace velmo_windows_test
