// The shell's output for a person: one line per call, result, event and
// wait, prefixed with the user's name; payloads as text when printable,
// hex otherwise.
#pragma once

#include <cstdio>
#include <mutex>

#include "reporter.h"

namespace kivsh {

class EventPrinter : public Reporter {
 public:
  EventPrinter(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

  void onEvent(const std::string& user, const ReceivedEvent& event) override;
  void userOpened(int line, const std::string& user) override;
  void userClosed(int line, const std::string& user) override;
  void call(const CallInfo& call) override;
  void result(const CallInfo& call, const CallOutcome& outcome) override;
  void waited(const WaitInfo& wait, const ReceivedEvent* event) override;
  void say(int line, const std::string& text) override;
  void error(int line, const std::string& message) override;
  void note(const std::string& text) override;

  // "5 bytes: "hello"" or "3 bytes: hex 00ff10".
  static std::string describePayload(const Bytes& bytes);

 private:
  void print(const std::string& user, const char* marker, const std::string& text);

  std::FILE* out_;
  std::FILE* err_;
  std::mutex mutex_;
  size_t nameWidth_ = 5;
};

}  // namespace kivsh
