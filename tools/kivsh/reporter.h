// What the shell tells its reader; written as text (event_printer) or as one
// JSON object per line (json_lines). Implementations are called from the
// script's thread and, for events, from SDK threads, and lock their output.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "payload.h"
#include "user_session.h"

namespace kivsh {

struct CallInfo {
  int line = 0;
  std::string user;
  std::string api;
  std::string params;  // JSON text as sent, empty when none
  bool sendsSink = false;
  bool sendsBytes = false;
  Bytes payload;
  int expectedCode = 0;
};

struct CallOutcome {
  int code = 0;
  std::string result;  // the result buffer's text ("" when the engine left it untouched)
  std::string reason;  // the SDK's reason text for a non-zero "errorCode", if any
  std::string hint;    // what the API description says is wrong with the call, if anything
};

struct WaitInfo {
  int line = 0;
  std::string user;
  std::string event;
  std::vector<std::string> conditions;  // "key=value" with $references resolved
  int timeoutMs = 0;
};

class Reporter : public EventListener {
 public:
  virtual void userOpened(int line, const std::string& user) = 0;
  virtual void userClosed(int line, const std::string& user) = 0;
  virtual void call(const CallInfo& call) = 0;
  virtual void result(const CallInfo& call, const CallOutcome& outcome) = 0;
  // `event` is null when the wait timed out.
  virtual void waited(const WaitInfo& wait, const ReceivedEvent* event) = 0;
  virtual void say(int line, const std::string& text) = 0;
  // line 0: not tied to a script line.
  virtual void error(int line, const std::string& message) = 0;
  // Free text for a person (banner, help); the JSON-lines form drops it.
  virtual void note(const std::string& text) = 0;

  // An interactive session prints around its prompt: each write of the
  // reporter runs inside `around` (set before the first user exists).
  using Around = std::function<void(const std::function<void()>& write)>;
  void setAround(Around around) { around_ = std::move(around); }

 protected:
  void write(const std::function<void()>& print) {
    if (around_) {
      around_(print);
    } else {
      print();
    }
  }

 private:
  Around around_;
};

}  // namespace kivsh
