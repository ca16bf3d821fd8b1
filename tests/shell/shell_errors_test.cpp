// The shell's answer to broken scripts and failing steps: the line number,
// what is wrong, and the exit code, as a separate process in JSON-lines mode.
#include <gtest/gtest.h>

#include <string>

#include "shell_process.h"

namespace {

struct BrokenScript {
  const char* name;
  const char* text;
  int exitCode;
  int line;             // of the first error record
  const char* message;  // part of its message
  bool callsMade;       // whether any call reached the library
};

void PrintTo(const BrokenScript& script, std::ostream* os) { *os << script.name; }

class ShellErrors : public ::testing::TestWithParam<BrokenScript> {};

TEST_P(ShellErrors, NamesTheLineAndExitsNonZero) {
  const BrokenScript& c = GetParam();
  const ShellRun run = runShell(writeScript(std::string(c.name) + ".kiv", c.text));
  EXPECT_EQ(run.exitCode, c.exitCode);
  const auto errors = run.ofType("error");
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.front()["line"], c.line) << errors.front().dump();
  EXPECT_NE(errors.front()["message"].get<std::string>().find(c.message), std::string::npos)
      << errors.front().dump();
  EXPECT_EQ(!run.ofType("call").empty(), c.callsMade);
}

const char kUser[] = "user alice\n";

INSTANTIATE_TEST_SUITE_P(
    Scripts, ShellErrors,
    ::testing::Values(
        // Checked before anything runs: exit 2, no call made.
        BrokenScript{"malformed_json",
                     "user alice\n# fine so far\nalice KivClient_create "
                     "{\"config\": }\n",
                     2, 3, "not valid JSON", false},
        BrokenScript{"unclosed_json", "user alice\nalice KivClient_create {\"config\":{}\n", 2, 2,
                     "not closed", false},
        BrokenScript{"unknown_user",
                     "user alice\nalice KivClient_getLock\nbob "
                     "KivClient_login_1fa04dd {}\n",
                     2, 3, "unknown user \"bob\"", false},
        BrokenScript{"closed_user", "user alice\nclose alice\nwait alice X_y\n", 2, 3,
                     "unknown user \"alice\"", false},
        BrokenScript{"misspelt_keyword", "user alice\nwiat alice X_y\n", 2, 2,
                     "unknown user \"wiat\"", false},
        BrokenScript{"bad_hex", "user alice\nalice KivClient_publish_2d36e93 {} hex:abc\n", 2, 2,
                     "is not hex", false},
        BrokenScript{"bad_timeout", "user alice\nwait alice X_y within soon\n", 2, 2, "within",
                     false},
        BrokenScript{"stray_word", "user alice\nalice KivClient_getLock please\n", 2, 2,
                     "unexpected \"please\"", false},
        // Fail while running: exit 1 at the failing line.
        BrokenScript{"call_fails",
                     "user alice\nalice KivClient_getLock expect -7\nalice "
                     "KivClient_login_1fa04dd {\"token\":\"t\"}\n",
                     1, 3, "answered -7, expected 0", true},
        BrokenScript{"wait_times_out",
                     "user alice\nalice KivClient_login_1fa04dd {} expect -7\n"
                     "wait alice KivEventHandler_onLoginResult_4f46899 within 0\n",
                     1, 3, "no KivEventHandler_onLoginResult_4f46899 reached alice", true},
        BrokenScript{"reference_without_call",
                     "user alice\nwait alice KivEventHandler_onLoginResult_4f46899 "
                     "requestId=$alice.requestId\n",
                     1, 2, "has made no call yet", false},
        // Checked against the API description: refused at once, not waited out.
        BrokenScript{"misspelt_event",
                     "user alice\nwait alice KivEventHandler_onLoginResul_4f46899 within 600000\n",
                     1, 2, "did you mean KivEventHandler_onLoginResult_4f46899", false},
        BrokenScript{"misspelt_event_key",
                     "user alice\nwait alice KivEventHandler_onLoginResult_4f46899 requestID=1 "
                     "within 600000\n",
                     1, 2, "has no key \"requestID\"; did you mean requestId", false},
        BrokenScript{"length_beyond_payload",
                     "user alice\nalice KivClient_publish_2d36e93 "
                     "{\"channelName\":\"c\",\"length\":99,\"option\":{}} text:hi\n",
                     1, 2, "does not fit the 2 payload bytes", false},
        BrokenScript{"raw_message_address",
                     "user alice\nalice KivClient_publish_2d36e93 "
                     "{\"channelName\":\"c\",\"message\":4096,\"length\":1,\"option\":{}}\n",
                     1, 2, "\"message\" is filled in from the payload", false},
        BrokenScript{"bytes_as_sink", "user alice\nalice KivClient_create {} text:oops\n", 1, 2,
                     "takes the sink", false},
        BrokenScript{"missing_file",
                     "user alice\nalice KivClient_publish_2d36e93 "
                     "{\"channelName\":\"c\",\"option\":{}} file:no-such-file.bin\n",
                     1, 2, "cannot open file", false}),
    [](const ::testing::TestParamInfo<BrokenScript>& info) { return info.param.name; });

TEST(ShellErrorsAll, EveryBadLineIsReportedBeforeAnythingRuns) {
  const ShellRun run = runShell(
      writeScript("two_bad_lines.kiv", std::string(kUser) + "alice KivClient_getLock expect\n" +
                                           "say all good\nalice KivClient_create [1,\n"));
  EXPECT_EQ(run.exitCode, 2);
  const auto errors = run.ofType("error");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0]["line"], 2);
  EXPECT_EQ(errors[1]["line"], 4);
  EXPECT_TRUE(run.ofType("user").empty());
  EXPECT_TRUE(run.ofType("say").empty());
}

TEST(ShellErrorsAll, AnExpectedCodeIsNotAFailure) {
  const ShellRun run = runShell(writeScript(
      "expected_codes.kiv",
      std::string(kUser) + "alice KivClient_login_1fa04dd {\"token\":\"t\"} expect -7\n" +
          "alice KivNoSuchModule_call {} expect -4\n" +
          "alice KivClient_create {\"config\":{\"appId\":\"a\",\"userId\":\"alice\"}} sink\n" +
          "alice KivClient_login_1fa04dd {\"token\":5} expect -2\n"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.ofType("error").empty());
  const auto results = run.ofType("result");
  ASSERT_EQ(results.size(), 4u);
  EXPECT_EQ(results[1]["result"], nullptr) << "-4 leaves the result buffer untouched";
  EXPECT_EQ(results[2]["result"]["errorCode"], 0) << results[2].dump();
  // The API description tells which key is wrong.
  EXPECT_EQ(results[3]["hint"], "KivClient_login_1fa04dd: \"token\" must be string, not number")
      << results[3].dump();
}

}  // namespace
