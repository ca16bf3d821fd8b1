// The shell's machine-readable output: one JSON object per line, its "type"
// one of "user", "close", "call", "result", "event", "wait", "say", "error".
// JSON texts from the library appear parsed; payloads as
// {"length":N,"hex":"..."} plus "text" when printable.
#pragma once

#include <cstdio>
#include <mutex>
#include <nlohmann/json.hpp>

#include "reporter.h"

namespace kivsh {

class JsonLinesReporter : public Reporter {
 public:
  explicit JsonLinesReporter(std::FILE* out) : out_(out) {}

  void onEvent(const std::string& user, const ReceivedEvent& event) override;
  void userOpened(int line, const std::string& user) override;
  void userClosed(int line, const std::string& user) override;
  void call(const CallInfo& call) override;
  void result(const CallInfo& call, const CallOutcome& outcome) override;
  void waited(const WaitInfo& wait, const ReceivedEvent* event) override;
  void say(int line, const std::string& text) override;
  void error(int line, const std::string& message) override;
  void note(const std::string&) override {}

  static nlohmann::json payloadJson(const Bytes& bytes);
  // The parsed JSON, or the text itself when it is not JSON.
  static nlohmann::json parsedOrText(const std::string& text);

 private:
  void emit(const nlohmann::json& record);

  std::FILE* out_;
  std::mutex mutex_;
};

}  // namespace kivsh
