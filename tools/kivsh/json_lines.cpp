#include "json_lines.h"

namespace kivsh {

using nlohmann::json;

json JsonLinesReporter::payloadJson(const Bytes& bytes) {
  json payload = {{"length", bytes.size()}, {"hex", toHex(bytes)}};
  if (isPrintable(bytes)) payload["text"] = bytes;
  return payload;
}

json JsonLinesReporter::parsedOrText(const std::string& text) {
  if (text.empty()) return nullptr;
  json parsed = json::parse(text, nullptr, false);
  return parsed.is_discarded() ? json(text) : parsed;
}

void JsonLinesReporter::emit(const json& record) {
  const std::string line = record.dump(-1, ' ', false, json::error_handler_t::replace);
  std::lock_guard<std::mutex> lock(mutex_);
  write([&] {
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
  });
}

void JsonLinesReporter::onEvent(const std::string& user, const ReceivedEvent& event) {
  json payloads = json::array();
  for (const Bytes& bytes : event.payloads) payloads.push_back(payloadJson(bytes));
  emit({{"type", "event"},
        {"user", user},
        {"name", event.name},
        {"data", parsedOrText(event.data)},
        {"payloads", payloads}});
}

void JsonLinesReporter::userOpened(int line, const std::string& user) {
  emit({{"type", "user"}, {"line", line}, {"user", user}});
}

void JsonLinesReporter::userClosed(int line, const std::string& user) {
  emit({{"type", "close"}, {"line", line}, {"user", user}});
}

void JsonLinesReporter::call(const CallInfo& call) {
  json record = {{"type", "call"},
                 {"line", call.line},
                 {"user", call.user},
                 {"api", call.api},
                 {"params", parsedOrText(call.params)}};
  if (call.sendsSink) record["payload"] = "sink";
  if (call.sendsBytes) record["payload"] = payloadJson(call.payload);
  emit(record);
}

void JsonLinesReporter::result(const CallInfo& call, const CallOutcome& outcome) {
  json record = {{"type", "result"},
                 {"line", call.line},
                 {"user", call.user},
                 {"api", call.api},
                 {"code", outcome.code},
                 {"expected", call.expectedCode},
                 {"ok", outcome.code == call.expectedCode},
                 {"result", parsedOrText(outcome.result)}};
  if (!outcome.reason.empty()) record["reason"] = outcome.reason;
  if (!outcome.hint.empty()) record["hint"] = outcome.hint;
  emit(record);
}

void JsonLinesReporter::waited(const WaitInfo& wait, const ReceivedEvent* event) {
  json record = {{"type", "wait"},
                 {"line", wait.line},
                 {"user", wait.user},
                 {"event", wait.event},
                 {"conditions", wait.conditions},
                 {"timeoutMs", wait.timeoutMs},
                 {"arrived", event != nullptr}};
  if (event) record["data"] = parsedOrText(event->data);
  emit(record);
}

void JsonLinesReporter::say(int line, const std::string& text) {
  emit({{"type", "say"}, {"line", line}, {"text", text}});
}

void JsonLinesReporter::error(int line, const std::string& message) {
  emit({{"type", "error"}, {"line", line}, {"message", message}});
}

}  // namespace kivsh
