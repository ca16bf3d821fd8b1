#include "event_printer.h"

#include <nlohmann/json.hpp>

namespace kivsh {

namespace {

std::string quoted(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

}  // namespace

std::string EventPrinter::describePayload(const Bytes& bytes) {
  const std::string size = std::to_string(bytes.size()) + (bytes.size() == 1 ? " byte" : " bytes");
  if (bytes.empty()) return size;
  if (isPrintable(bytes)) return size + ": " + quoted(bytes);
  return size + ": hex " + toHex(bytes);
}

void EventPrinter::print(const std::string& user, const char* marker, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (user.size() > nameWidth_) nameWidth_ = user.size();
  write([&] {
    std::fprintf(out_, "  %-*s %s %s\n", static_cast<int>(nameWidth_), user.c_str(), marker,
                 text.c_str());
    std::fflush(out_);
  });
}

void EventPrinter::onEvent(const std::string& user, const ReceivedEvent& event) {
  std::string text = event.name + " " + event.data;
  for (size_t i = 0; i < event.payloads.size(); ++i) {
    text += "\n" + std::string(nameWidth_ + 6, ' ') + "payload " + std::to_string(i) + ", " +
            describePayload(event.payloads[i]);
  }
  print(user, "**", text);
}

void EventPrinter::userOpened(int, const std::string& user) {
  print(user, "..", "has an engine and an event sink");
}

void EventPrinter::userClosed(int, const std::string& user) {
  print(user, "..", "engine and event sink destroyed");
}

void EventPrinter::call(const CallInfo& call) {
  std::string text = call.api;
  if (!call.params.empty()) text += " " + call.params;
  if (call.sendsSink) text += " + the event sink";
  if (call.sendsBytes) text += " + payload " + describePayload(call.payload);
  print(call.user, "->", text);
}

void EventPrinter::result(const CallInfo& call, const CallOutcome& outcome) {
  std::string text = std::to_string(outcome.code);
  if (!outcome.result.empty()) text += " " + outcome.result;
  if (!outcome.reason.empty()) text += " (" + outcome.reason + ")";
  if (!outcome.hint.empty()) text += " [" + outcome.hint + "]";
  if (outcome.code != call.expectedCode) {
    text += "  <-- expected " + std::to_string(call.expectedCode);
  } else if (call.expectedCode != 0) {
    text += "  (as expected)";
  }
  print(call.user, "<-", text);
}

void EventPrinter::waited(const WaitInfo& wait, const ReceivedEvent* event) {
  std::string what = wait.event;
  if (!wait.conditions.empty()) what += " with " + joined(wait.conditions);
  print(wait.user, event ? "ok" : "!!",
        event ? "received " + what
              : "gave up waiting for " + what + " after " + std::to_string(wait.timeoutMs) + " ms");
}

void EventPrinter::say(int, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  write([&] {
    std::fprintf(out_, "\n== %s\n", text.c_str());
    std::fflush(out_);
  });
}

void EventPrinter::error(int line, const std::string& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  write([&] {
    std::fflush(out_);
    if (line > 0) {
      std::fprintf(err_, "line %d: %s\n", line, message.c_str());
    } else {
      std::fprintf(err_, "%s\n", message.c_str());
    }
    std::fflush(err_);
  });
}

void EventPrinter::note(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  write([&] {
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
  });
}

}  // namespace kivsh
