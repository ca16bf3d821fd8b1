// One line of a shell script, parsed. The language:
//
//   # a comment
//   user alice                                   create an engine and a sink for alice
//   alice KivClient_create {"config":{...}} sink call; "sink" passes alice's sink as the buffer
//   bob KivClient_publish_2d36e93 {...} text:hi  call with a payload (text:, hex:, file:)
//   alice KivClient_login_1fa04dd {} expect -2   a call that must answer -2
//   wait bob KivEventHandler_onMessageEvent_ce5f8f5 event.publisher=alice payload=text:hi
//   wait alice KivEventHandler_onLoginResult_4f46899 requestId=$alice.requestId within 3000
//   say "Alice and Bob are now talking"
//   close alice                                  destroy alice's engine and sink
#pragma once

#include <string>
#include <vector>

#include "payload.h"

namespace kivsh {

struct PayloadSpec {
  enum class Kind { None, Sink, Bytes, File };
  Kind kind = Kind::None;
  Bytes bytes;         // Kind::Bytes: decoded text: or hex: value
  std::string path;    // Kind::File
  std::string source;  // as written, for messages
};

// "path=value": path into the event JSON (dots, numeric array indexes) or
// "payload" / "payload[N]"; value is JSON, plain text, a payload payloadSpec for
// payloads, or $user.key (a key of that user's last call result).
struct Condition {
  std::string path;
  std::string value;
};

struct Command {
  enum class Kind { Empty, User, Close, Call, Wait, Say, Help, Quit };
  Kind kind = Kind::Empty;
  int line = 0;
  std::string user;
  std::string api;     // Call: API name; Wait: event name
  std::string params;  // Call: JSON text as written, empty when none
  std::string text;    // Say
  PayloadSpec payload;
  int expectedCode = 0;
  std::vector<Condition> conditions;
  int timeoutMs = -1;  // -1: the shell's default
};

struct ParsedLine {
  bool ok = true;
  Command command;
  std::string error;  // what is wrong, without the line number
};

ParsedLine parseLine(const std::string& text, int lineNumber);

// What to say about a line whose user no earlier line created.
std::string unknownUserMessage(const std::string& name);

// The first blank-separated word of a line.
std::string firstWord(const std::string& text);

// Letters, digits, "_" and "-", starting with a letter or "_", and not a keyword.
bool isValidUserName(const std::string& name);

// Decodes a payload payloadSpec (text:..., hex:..., file:...; "sink" when allowSink).
bool parsePayloadSpec(const std::string& token, bool allowSink, PayloadSpec& out,
                      std::string& error);

}  // namespace kivsh
