// The script language, line by line, and the checks a wait applies to an event.
#include "script_line.h"

#include <gtest/gtest.h>

#include <string>

#include "event_matcher.h"
#include "payload.h"

namespace {

using kivsh::Command;
using kivsh::parseLine;

TEST(ShellLine, ReadsACallWithJsonPayloadAndExpectedCode) {
  const auto parsed = parseLine(
      "  bob StreamChannel_publishTopicMessage_a31773e {\"topic\":\"a b}\",\"x\":[1,{}]} "
      "text:\"two words\\n\" expect -2",
      7);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const Command& c = parsed.command;
  EXPECT_EQ(c.kind, Command::Kind::Call);
  EXPECT_EQ(c.line, 7);
  EXPECT_EQ(c.user, "bob");
  EXPECT_EQ(c.api, "StreamChannel_publishTopicMessage_a31773e");
  EXPECT_EQ(c.params, "{\"topic\":\"a b}\",\"x\":[1,{}]}") << "kept as written";
  EXPECT_EQ(c.payload.kind, kivsh::PayloadSpec::Kind::Bytes);
  EXPECT_EQ(c.payload.bytes, "two words\n");
  EXPECT_EQ(c.expectedCode, -2);
}

TEST(ShellLine, ReadsWaitsWithConditionsAndTimeOut) {
  const auto parsed = parseLine(
      "wait alice KivEventHandler_onLoginResult_4f46899 requestId=$alice.requestId "
      "event.publisher=\"Bob Smith\" payload[1]=hex:00ff within 250",
      3);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const Command& c = parsed.command;
  EXPECT_EQ(c.kind, Command::Kind::Wait);
  EXPECT_EQ(c.api, "KivEventHandler_onLoginResult_4f46899");
  EXPECT_EQ(c.timeoutMs, 250);
  ASSERT_EQ(c.conditions.size(), 3u);
  EXPECT_EQ(c.conditions[0].path, "requestId");
  EXPECT_EQ(c.conditions[0].value, "$alice.requestId");
  EXPECT_EQ(c.conditions[1].value, "\"Bob Smith\"");
  EXPECT_EQ(c.conditions[2].path, "payload[1]");
}

TEST(ShellLine, ReadsTheOtherCommands) {
  struct Case {
    const char* text;
    Command::Kind kind;
    const char* field;  // user, or the say text
  } cases[] = {
      {"# a comment {", Command::Kind::Empty, ""},
      {"   ", Command::Kind::Empty, ""},
      {"user carol_2", Command::Kind::User, "carol_2"},
      {"close carol_2", Command::Kind::Close, "carol_2"},
      {"say Alice meets Bob", Command::Kind::Say, "Alice meets Bob"},
      {"say \"quoted \\u00e9\"", Command::Kind::Say, "quoted \xc3\xa9"},
      {"help", Command::Kind::Help, ""},
      {"quit", Command::Kind::Quit, ""},
  };
  for (const Case& c : cases) {
    const auto parsed = parseLine(c.text, 1);
    ASSERT_TRUE(parsed.ok) << c.text << ": " << parsed.error;
    EXPECT_EQ(parsed.command.kind, c.kind) << c.text;
    const std::string& field =
        c.kind == Command::Kind::Say ? parsed.command.text : parsed.command.user;
    EXPECT_EQ(field, c.field) << c.text;
  }
}

TEST(ShellLine, RefusesBrokenLinesSayingWhy) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"alice", "an API name must follow"},
      {"alice {\"a\":1}", "an API name must follow"},
      {"alice Api {} {}", "given twice"},
      {"alice Api text:a hex:00", "one payload"},
      {"alice Api expect", "followed by a code"},
      {"alice Api expect 1.5", "followed by a code"},
      {"alice Api text:\"open", "not closed"},
      {"alice Api hex:0g", "not hex"},
      {"alice Api nope:1", "not a payload"},
      {"alice Api file:", "needs a path"},
      {"user", "usage: user NAME"},
      {"user a b", "usage: user NAME"},
      {"user 9lives", "not a user name"},
      {"user wait", "not a user name"},
      {"wait alice", "usage: wait"},
      {"wait alice Ev =1", "unexpected"},
      {"wait alice Ev payload=sink", "not a payload"},
      {"wait alice Ev within -5", "within"},
      {"expect 0", "belongs at the end"},
      {"quit now", "takes nothing"},
  };
  for (const auto& c : cases) {
    const auto parsed = parseLine(c.text, 1);
    EXPECT_FALSE(parsed.ok) << c.text;
    EXPECT_NE(parsed.error.find(c.error), std::string::npos) << c.text << ": " << parsed.error;
  }
}

TEST(ShellPayload, HexRoundTripsAndPrintableMeansCleanUtf8) {
  const kivsh::Bytes all = [] {
    kivsh::Bytes b;
    for (int i = 0; i < 256; ++i) b.push_back(static_cast<char>(i));
    return b;
  }();
  kivsh::Bytes back;
  ASSERT_TRUE(kivsh::fromHex(kivsh::toHex(all), back));
  EXPECT_EQ(back, all);
  EXPECT_TRUE(kivsh::fromHex("ABcd", back));
  EXPECT_EQ(back, "\xab\xcd");

  EXPECT_TRUE(kivsh::isPrintable("Gr\xc3\xbc\xc3\x9f\x65 \xf0\x9f\x91\x8b\ttab\r\n"));
  EXPECT_TRUE(kivsh::isPrintable(""));
  for (const char* bytes : {"a\x01", "\x7f", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80",
                            "\xe2\x82", "\x80"}) {
    EXPECT_FALSE(kivsh::isPrintable(bytes)) << kivsh::toHex(bytes);
  }
  EXPECT_FALSE(kivsh::isPrintable(std::string("a\0b", 3)));
}

TEST(ShellMatch, ChecksPathsValuesAndPayloads) {
  kivsh::ReceivedEvent event;
  event.name = "Ev_x";
  event.data = R"({"requestId":7,"event":{"publisher":"bob","ids":["7",{"n":2}],"code":"007"}})";
  event.payloads = {"hi", std::string("\0\xff", 2)};

  auto expect = [](const char* path, nlohmann::json value) {
    kivsh::Expectation e;
    e.path = path;
    e.value = std::move(value);
    return e;
  };
  auto payload = [](size_t index, kivsh::Bytes bytes) {
    kivsh::Expectation e;
    e.onPayload = true;
    e.payloadIndex = index;
    e.bytes = std::move(bytes);
    return e;
  };
  EXPECT_TRUE(kivsh::eventMatches(event, "Ev_x", {}));
  EXPECT_FALSE(kivsh::eventMatches(event, "Ev_y", {}));
  EXPECT_TRUE(kivsh::eventMatches(event, "Ev_x", {expect("requestId", 7u)}));
  EXPECT_TRUE(kivsh::eventMatches(event, "Ev_x", {expect("requestId", 7.0)}));
  EXPECT_FALSE(kivsh::eventMatches(event, "Ev_x", {expect("requestId", "7")}));
  EXPECT_TRUE(kivsh::eventMatches(event, "Ev_x", {expect("event.ids.0", 7)}))
      << "an unquoted value also matches a string holding its text";
  EXPECT_TRUE(kivsh::eventMatches(event, "Ev_x", {expect("event.code", "007")}));
  EXPECT_FALSE(kivsh::eventMatches(event, "Ev_x", {expect("event.code", 7)}));
  EXPECT_TRUE(kivsh::eventMatches(event, "Ev_x", {expect("event.ids.1.n", 2)}));
  EXPECT_FALSE(kivsh::eventMatches(event, "Ev_x", {expect("event.ids.2", 2)}));
  EXPECT_FALSE(kivsh::eventMatches(event, "Ev_x", {expect("event.missing", nullptr)}));
  EXPECT_TRUE(
      kivsh::eventMatches(event, "Ev_x", {payload(0, "hi"), payload(1, std::string("\0\xff", 2))}));
  EXPECT_FALSE(kivsh::eventMatches(event, "Ev_x", {payload(1, "")}));
  EXPECT_FALSE(kivsh::eventMatches(event, "Ev_x", {payload(2, "")}));

  size_t index = 9;
  EXPECT_TRUE(kivsh::payloadIndexOf("payload", index));
  EXPECT_EQ(index, 0u);
  EXPECT_TRUE(kivsh::payloadIndexOf("payload[12]", index));
  EXPECT_EQ(index, 12u);
  EXPECT_FALSE(kivsh::payloadIndexOf("payload[]", index));
  EXPECT_FALSE(kivsh::payloadIndexOf("payloads", index));
}

}  // namespace
