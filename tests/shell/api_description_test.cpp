// The shell's checks of calls and waits against an API description: the
// message for each kind of mistake, and silence for what is right.
#include <gtest/gtest.h>

#include "api_catalog.h"

namespace {

using nlohmann::json;

const char kDescription[] = R"({
  "apis": [
    {"name": "KivClient_login_1fa04dd", "keys": [{"key": "token", "kind": "string"}]},
    {"name": "KivClient_subscribe_3fae92d", "keys": [
      {"key": "channelName", "kind": "string"},
      {"key": "options", "kind": "object", "record": "SubscribeOptions"}]},
    {"name": "KivClient_publish_2d36e93", "keys": [
      {"key": "channelName", "kind": "string"},
      {"key": "message", "kind": "address", "filledBy": "payload"},
      {"key": "length", "kind": "length"},
      {"key": "option", "kind": "object", "record": "PublishOptions"}]},
    {"name": "KivClient_create", "optionalKeys": ["config"],
     "keys": [{"key": "config", "kind": "object", "record": "KivConfig"}]}
  ],
  "records": [
    {"name": "MessageEvent", "fields": [{"key": "publisher", "kind": "string"},
                                        {"key": "messageLength", "kind": "unsigned64",
                                         "twin": "messageLength_str"},
                                        {"key": "channels", "kind": "array", "items": "string",
                                         "count": "channelCount",
                                         "countTwin": "channelCount_str"}]}
  ],
  "events": [
    {"name": "KivEventHandler_onLoginResult_4f46899", "keys": [
      {"key": "requestId", "kind": "unsigned64", "twin": "requestId_str"},
      {"key": "errorCode", "kind": "integer"}]},
    {"name": "KivEventHandler_onMessageEvent_ce5f8f5", "keys": [
      {"key": "event", "kind": "object", "record": "MessageEvent"}]}
  ]
})";

struct Case {
  const char* what;
  std::string problem;   // what the check said
  const char* expected;  // "" for silence, else a part of the message
};

TEST(ShellApiDescription, NamesTheMistakeAndStaysSilentOtherwise) {
  const kivsh::ApiCatalog d(kDescription);
  ASSERT_TRUE(d.available());
  const Case cases[] = {
      {"a call with its keys", d.checkCall("KivClient_login_1fa04dd", json{{"token", "t"}}), ""},
      {"a missing key, in the library's order",
       d.checkCall("KivClient_subscribe_3fae92d", json{{"channelName", "lobby"}}),
       "KivClient_subscribe_3fae92d needs \"options\" (object SubscribeOptions)"},
      {"a key of another kind", d.checkCall("KivClient_login_1fa04dd", json{{"token", 5}}),
       "\"token\" must be string, not number"},
      {"keys the shell and the library fill in may be missing",
       d.checkCall("KivClient_publish_2d36e93",
                   json{{"channelName", "c"}, {"option", json::object()}}),
       ""},
      {"an optional key may be missing", d.checkCall("KivClient_create", json::object()), ""},
      {"a misspelt API name", d.checkCall("KivClient_logn_1fa04dd", json::object()),
       "did you mean KivClient_login_1fa04dd?"},
      {"a wait with keys and twins",
       d.checkWait("KivEventHandler_onLoginResult_4f46899", {"requestId_str", "errorCode"}), ""},
      {"a wait on a record's field, an array's element and count",
       d.checkWait("KivEventHandler_onMessageEvent_ce5f8f5",
                   {"event.publisher", "event.channels.0", "event.channelCount_str"}),
       ""},
      {"a misspelt event name", d.checkWait("KivEventHandler_onLoginResul_4f46899", {}),
       "did you mean KivEventHandler_onLoginResult_4f46899?"},
      {"a key no body has", d.checkWait("KivEventHandler_onLoginResult_4f46899", {"requestID"}),
       "has no key \"requestID\"; did you mean requestId"},
      {"a misspelt field inside a record",
       d.checkWait("KivEventHandler_onMessageEvent_ce5f8f5", {"event.publsher"}),
       "\"event\" has no key \"publsher\"; did you mean publisher?"},
  };
  for (const Case& c : cases) {
    if (*c.expected == '\0') {
      EXPECT_EQ(c.problem, "") << c.what;
    } else {
      EXPECT_NE(c.problem.find(c.expected), std::string::npos) << c.what << ": " << c.problem;
    }
  }
}

TEST(ShellApiDescription, WithoutADescriptionNothingIsChecked) {
  const kivsh::ApiCatalog none("");
  EXPECT_FALSE(none.available());
  EXPECT_EQ(none.checkCall("Anything_at_all", json::object()), "");
  EXPECT_EQ(none.checkWait("NoSuchEvent", {"x"}), "");
}

}  // namespace
