#include "interpreter.h"

#include <cstring>
#include <utility>
#include <vector>

#include "event_matcher.h"

namespace kivsh {

using nlohmann::json;

namespace {

const char kCreateApi[] = "KivClient_create";

bool isPublish(const std::string& api) {
  return api == "KivClient_publish_2d36e93" || api == "StreamChannel_publishTopicMessage_a31773e";
}

std::string compact(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

Interpreter::Interpreter(const KivExports& api, Reporter& reporter, InterpreterOptions options)
    : api_(api), reporter_(reporter), options_(std::move(options)) {}

Interpreter::~Interpreter() { closeAll(); }

void Interpreter::closeAll() { users_.clear(); }

bool Interpreter::fail(int line, const std::string& message) {
  reporter_.error(line, message);
  return false;
}

bool Interpreter::run(const Command& command) {
  switch (command.kind) {
    case Command::Kind::User:
      return openUser(command);
    case Command::Kind::Close:
      return closeUser(command);
    case Command::Kind::Call:
      return call(command);
    case Command::Kind::Wait:
      return wait(command);
    case Command::Kind::Say:
      reporter_.say(command.line, command.text);
      return true;
    default:
      return true;
  }
}

UserSession* Interpreter::findUser(const Command& command) {
  auto it = users_.find(command.user);
  if (it != users_.end()) return it->second.get();
  fail(command.line, unknownUserMessage(command.user));
  return nullptr;
}

bool Interpreter::openUser(const Command& command) {
  if (users_.count(command.user)) {
    return fail(command.line, "user \"" + command.user + "\" exists already");
  }
  std::string error;
  std::unique_ptr<UserSession> session = UserSession::open(api_, command.user, reporter_, error);
  if (!session) return fail(command.line, error);
  users_[command.user] = std::move(session);
  lastResults_.erase(command.user);
  reporter_.userOpened(command.line, command.user);
  return true;
}

bool Interpreter::closeUser(const Command& command) {
  if (!findUser(command)) return false;
  users_.erase(command.user);
  lastResults_.erase(command.user);
  reporter_.userClosed(command.line, command.user);
  return true;
}

bool Interpreter::loadPayload(const PayloadSpec& payloadSpec, int line, Bytes& out) {
  if (payloadSpec.kind == PayloadSpec::Kind::Bytes) {
    out = payloadSpec.bytes;
    return true;
  }
  std::string path = payloadSpec.path;
  const bool absolute =
      !path.empty() && (path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':'));
  if (!absolute && !options_.baseFolder.empty()) path = options_.baseFolder + "/" + path;
  std::string error;
  if (!readFile(path, out, error)) return fail(line, error);
  return true;
}

bool Interpreter::call(const Command& command) {
  UserSession* session = findUser(command);
  if (!session) return false;

  CallInfo info;
  info.line = command.line;
  info.user = command.user;
  info.api = command.api;
  info.params = command.params;
  info.expectedCode = command.expectedCode;

  const PayloadSpec::Kind kind = command.payload.kind;
  if (kind == PayloadSpec::Kind::Sink && command.api != kCreateApi) {
    return fail(command.line, "\"sink\" is the buffer of KivClient_create only");
  }
  if ((kind == PayloadSpec::Kind::Bytes || kind == PayloadSpec::Kind::File) &&
      command.api == kCreateApi) {
    // The engine would take the bytes' address for an event sink.
    return fail(command.line, "KivClient_create takes the sink as its buffer, not bytes");
  }
  info.sendsSink = kind == PayloadSpec::Kind::Sink;
  info.sendsBytes = kind == PayloadSpec::Kind::Bytes || kind == PayloadSpec::Kind::File;
  if (info.sendsBytes && !loadPayload(command.payload, command.line, info.payload)) return false;

  if (isPublish(command.api)) {
    json params =
        command.params.empty() ? json::object() : json::parse(command.params, nullptr, false);
    if (params.is_object() && params.contains("message")) {
      // A raw address from a script would be read as payload memory.
      return fail(command.line,
                  "\"message\" is filled in from the payload; give text:, hex: or "
                  "file: instead");
    }
    if (info.sendsBytes && params.is_object()) {
      auto length = params.find("length");
      if (length == params.end()) {
        params["length"] = info.payload.size();
        info.params = compact(params);
      } else if (length->is_number() &&
                 (length->get<double>() < 0 || length->get<double>() > info.payload.size())) {
        // The library would read past the end of the payload.
        return fail(command.line, "\"length\" " + compact(*length) + " does not fit the " +
                                      std::to_string(info.payload.size()) + " payload bytes");
      }
    }
  }

  CallOutcome outcome;
  if (options_.description) {
    const json params =
        info.params.empty() ? json::object() : json::parse(info.params, nullptr, false);
    // Text that is not JSON is the library's to refuse; it says so itself.
    if (!params.is_discarded()) outcome.hint = options_.description->checkCall(info.api, params);
  }

  reporter_.call(info);

  std::vector<char> resultBuffer(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
  void* buffer =
      info.sendsSink ? static_cast<void*>(session->sink()) : static_cast<void*>(&info.payload[0]);
  unsigned int bufferLength = static_cast<unsigned int>(info.payload.size());
  ApiParam param{};
  param.apiName = info.api.c_str();
  param.params = info.params.empty() ? nullptr : info.params.c_str();
  param.paramsLength = static_cast<unsigned int>(info.params.size());
  param.resultBuffer = resultBuffer.data();
  if (info.sendsSink || info.sendsBytes) {
    param.buffers = &buffer;
    param.bufferLengths = &bufferLength;
    param.bufferCount = 1;
  }
  outcome.code = api_.CallQuonKivApi(session->engine(), &param);
  resultBuffer.back() = '\0';
  outcome.result = resultBuffer.data();

  json result = json::parse(outcome.result, nullptr, false);
  lastResults_[command.user] = result.is_discarded() ? json() : result;
  if (result.is_object()) {
    auto errorCode = result.find("errorCode");
    if (errorCode != result.end() && errorCode->is_number_integer() && *errorCode != 0) {
      const char* reason = api_.GetQuonKivErrorReason(errorCode->get<int>());
      if (reason) outcome.reason = reason;
    }
  }
  reporter_.result(info, outcome);
  if (outcome.code != command.expectedCode) {
    return fail(command.line, command.api + " answered " + std::to_string(outcome.code) +
                                  ", expected " + std::to_string(command.expectedCode));
  }
  return true;
}

bool Interpreter::resolveReference(const std::string& text, int line, json& out) {
  // "$alice.requestId": alice's last result, then the path inside it.
  const size_t dot = text.find('.');
  const std::string user = text.substr(1, dot == std::string::npos ? dot : dot - 1);
  auto it = lastResults_.find(user);
  if (it == lastResults_.end()) {
    return fail(line, text + ": \"" + user + "\" has made no call yet");
  }
  const json* value =
      dot == std::string::npos ? &it->second : findPath(it->second, text.substr(dot + 1));
  if (!value) {
    return fail(line, text + ": the last result of " + user + " (" + compact(it->second) +
                          ") has no such key");
  }
  out = *value;
  return true;
}

bool Interpreter::wait(const Command& command) {
  UserSession* session = findUser(command);
  if (!session) return false;

  WaitInfo info;
  info.line = command.line;
  info.user = command.user;
  info.event = command.api;
  info.timeoutMs = command.timeoutMs >= 0 ? command.timeoutMs : options_.defaultTimeoutMs;

  if (options_.description) {
    std::vector<std::string> paths;
    size_t index = 0;
    for (const Condition& condition : command.conditions) {
      if (!payloadIndexOf(condition.path, index)) paths.push_back(condition.path);
    }
    // Such a wait could only time out.
    const std::string problem = options_.description->checkWait(command.api, paths);
    if (!problem.empty()) return fail(command.line, problem);
  }

  std::vector<Expectation> expectations;
  for (const Condition& condition : command.conditions) {
    Expectation e;
    if (payloadIndexOf(condition.path, e.payloadIndex)) {
      PayloadSpec payloadSpec;
      std::string error;
      if (!parsePayloadSpec(condition.value, false, payloadSpec, error))
        return fail(command.line, error);
      e.onPayload = true;
      if (!loadPayload(payloadSpec, command.line, e.bytes)) return false;
      e.label = condition.path + "=" + condition.value;
    } else {
      e.path = condition.path;
      if (!condition.value.empty() && condition.value[0] == '$') {
        if (!resolveReference(condition.value, command.line, e.value)) return false;
      } else {
        e.value = json::parse(condition.value, nullptr, false);
        if (e.value.is_discarded()) e.value = condition.value;
      }
      e.label = condition.path + "=" + compact(e.value);
    }
    info.conditions.push_back(e.label);
    expectations.push_back(std::move(e));
  }

  ReceivedEvent event;
  const bool arrived = session->take(
      [&](const ReceivedEvent& candidate) {
        return eventMatches(candidate, command.api, expectations);
      },
      info.timeoutMs, event, options_.cancel);
  if (!arrived && options_.cancel && options_.cancel->load()) {
    return fail(command.line, "wait for " + command.api + " cancelled");
  }
  reporter_.waited(info, arrived ? &event : nullptr);
  if (arrived) return true;
  const size_t others = session->countWaiting(command.api);
  std::string message = "no " + command.api + " reached " + command.user + " within " +
                        std::to_string(info.timeoutMs) + " ms";
  if (others > 0 && !expectations.empty()) {
    message += " (" + std::to_string(others) + " of that name arrived without matching)";
  }
  return fail(command.line, message);
}

}  // namespace kivsh
