#include "script_line.h"

#include <cctype>
#include <cstdlib>
#include <nlohmann/json.hpp>

namespace kivsh {

namespace {

const char* const kKeywords[] = {"user", "close", "wait", "say", "help", "quit", "exit", "expect"};

struct Token {
  std::string text;
  bool isJson = false;
};

bool startsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Scans a balanced {...} or [...] starting at `pos`, skipping brackets inside
// JSON strings. Returns the index after it, or npos when it never closes.
size_t scanJson(const std::string& s, size_t pos) {
  int depth = 0;
  bool inString = false;
  for (size_t i = pos; i < s.size(); ++i) {
    const char c = s[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 0) return i + 1;
    }
  }
  return std::string::npos;
}

// A word runs to the next blank; a quoted part inside it may hold blanks.
size_t scanWord(const std::string& s, size_t pos) {
  bool inString = false;
  size_t i = pos;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      break;
    }
  }
  return inString ? std::string::npos : i;
}

bool tokenize(const std::string& s, std::vector<Token>& tokens, std::string& error) {
  size_t pos = 0;
  while (true) {
    while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
    if (pos >= s.size()) return true;
    const bool json = s[pos] == '{' || s[pos] == '[';
    const size_t end = json ? scanJson(s, pos) : scanWord(s, pos);
    if (end == std::string::npos) {
      error = json ? std::string("JSON parameters are not closed (missing '") +
                         (s[pos] == '{' ? '}' : ']') + "')"
                   : "a quoted text is not closed (missing '\"')";
      return false;
    }
    tokens.push_back({s.substr(pos, end - pos), json});
    pos = end;
  }
}

// "text" with JSON escapes becomes its characters; anything else stays as is.
bool unquote(const std::string& value, std::string& out, std::string& error) {
  if (value.empty() || value[0] != '"') {
    out = value;
    return true;
  }
  nlohmann::json decoded = nlohmann::json::parse(value, nullptr, false);
  if (!decoded.is_string()) {
    error = "cannot read the quoted text " + value;
    return false;
  }
  out = decoded.get<std::string>();
  return true;
}

bool parseInt(const std::string& text, int& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < -2147483647L - 1 || value > 2147483647L) return false;
  out = static_cast<int>(value);
  return true;
}

ParsedLine fail(std::string message) {
  ParsedLine parsed;
  parsed.ok = false;
  parsed.error = std::move(message);
  return parsed;
}

bool checkUser(const std::string& name, std::string& error) {
  if (isValidUserName(name)) return true;
  error = "\"" + name + "\" is not a user name (letters, digits, '_' and '-'; not a keyword)";
  return false;
}

ParsedLine parseCall(const std::vector<Token>& tokens, Command& cmd) {
  cmd.kind = Command::Kind::Call;
  std::string error;
  if (!checkUser(tokens[0].text, error)) {
    return fail(error +
                "; a line starts with a keyword (user, wait, say, close, help, quit) "
                "or a user name");
  }
  cmd.user = tokens[0].text;
  if (tokens.size() < 2 || tokens[1].isJson) {
    return fail("an API name must follow the user name \"" + cmd.user + "\"");
  }
  cmd.api = tokens[1].text;
  for (size_t i = 2; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.isJson) {
      if (!cmd.params.empty()) return fail("JSON parameters are given twice");
      nlohmann::json parsed = nlohmann::json::parse(t.text, nullptr, false);
      if (parsed.is_discarded()) return fail("the parameters are not valid JSON: " + t.text);
      cmd.params = t.text;
    } else if (t.text == "expect") {
      if (i + 1 >= tokens.size() || !parseInt(tokens[i + 1].text, cmd.expectedCode)) {
        return fail("\"expect\" must be followed by a code, e.g. expect -7");
      }
      ++i;
    } else if (t.text == "sink" || t.text.find(':') != std::string::npos) {
      if (cmd.payload.kind != PayloadSpec::Kind::None) return fail("a call takes one payload");
      if (!parsePayloadSpec(t.text, true, cmd.payload, error)) return fail(error);
    } else {
      return fail("unexpected \"" + t.text +
                  "\" after the API name (expected JSON parameters, "
                  "a payload text:/hex:/file:/sink, or expect CODE)");
    }
  }
  return ParsedLine{true, cmd, {}};
}

ParsedLine parseWait(const std::vector<Token>& tokens, Command& cmd) {
  cmd.kind = Command::Kind::Wait;
  std::string error;
  if (tokens.size() < 3) return fail("usage: wait USER EVENT [key=value ...] [within MS]");
  if (!checkUser(tokens[1].text, error)) return fail(error);
  cmd.user = tokens[1].text;
  cmd.api = tokens[2].text;
  for (size_t i = 3; i < tokens.size(); ++i) {
    const std::string& t = tokens[i].text;
    if (t == "within") {
      if (i + 1 >= tokens.size() || !parseInt(tokens[i + 1].text, cmd.timeoutMs) ||
          cmd.timeoutMs < 0) {
        return fail("\"within\" must be followed by milliseconds, e.g. within 3000");
      }
      ++i;
      continue;
    }
    const size_t eq = t.find('=');
    if (tokens[i].isJson || eq == std::string::npos || eq == 0) {
      return fail("unexpected \"" + t + "\" in a wait (expected key=value or within MS)");
    }
    Condition condition{t.substr(0, eq), t.substr(eq + 1)};
    if (startsWith(condition.path, "payload")) {
      PayloadSpec payloadSpec;
      if (!parsePayloadSpec(condition.value, false, payloadSpec, error)) return fail(error);
    }
    cmd.conditions.push_back(std::move(condition));
  }
  return ParsedLine{true, cmd, {}};
}

}  // namespace

std::string unknownUserMessage(const std::string& name) {
  return "unknown user \"" + name + "\" (create it first with: user " + name +
         "; the commands are user, wait, say, close, help, quit)";
}

std::string firstWord(const std::string& text) {
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return "";
  const size_t end = text.find_first_of(" \t\r\n", start);
  return text.substr(start, end == std::string::npos ? end : end - start);
}

bool isValidUserName(const std::string& name) {
  if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) {
    return false;
  }
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
  }
  for (const char* keyword : kKeywords) {
    if (name == keyword) return false;
  }
  return true;
}

bool parsePayloadSpec(const std::string& token, bool allowSink, PayloadSpec& out,
                      std::string& error) {
  out = PayloadSpec{};
  out.source = token;
  if (token == "sink" && allowSink) {
    out.kind = PayloadSpec::Kind::Sink;
    return true;
  }
  std::string value;
  if (startsWith(token, "text:")) {
    if (!unquote(token.substr(5), value, error)) return false;
    out.kind = PayloadSpec::Kind::Bytes;
    out.bytes = value;
    return true;
  }
  if (startsWith(token, "hex:")) {
    out.kind = PayloadSpec::Kind::Bytes;
    if (fromHex(token.substr(4), out.bytes)) return true;
    error = "\"" + token + "\" is not hex (two digits 0-9a-f per byte)";
    return false;
  }
  if (startsWith(token, "file:")) {
    if (!unquote(token.substr(5), value, error)) return false;
    if (value.empty()) {
      error = "file: needs a path";
      return false;
    }
    out.kind = PayloadSpec::Kind::File;
    out.path = value;
    return true;
  }
  error = "\"" + token + "\" is not a payload (text:..., hex:..., file:..." +
          (allowSink ? std::string(" or sink)") : std::string(")"));
  return false;
}

ParsedLine parseLine(const std::string& text, int lineNumber) {
  Command cmd;
  cmd.line = lineNumber;
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos || text[first] == '#') return ParsedLine{true, cmd, {}};

  std::vector<Token> tokens;
  std::string error;
  if (!tokenize(text, tokens, error)) return fail(error);
  const std::string& word = tokens[0].text;

  if (word == "say") {
    std::string rest = text.substr(first + 3);
    const size_t start = rest.find_first_not_of(" \t");
    const size_t end = rest.find_last_not_of(" \t\r\n");
    rest = start == std::string::npos ? "" : rest.substr(start, end - start + 1);
    cmd.kind = Command::Kind::Say;
    if (!rest.empty() && rest[0] == '"' && !unquote(rest, cmd.text, error)) return fail(error);
    if (rest.empty() || rest[0] != '"') cmd.text = rest;
    return ParsedLine{true, cmd, {}};
  }
  if (word == "user" || word == "close") {
    if (tokens.size() != 2) return fail("usage: " + word + " NAME");
    if (!checkUser(tokens[1].text, error)) return fail(error);
    cmd.kind = word == "user" ? Command::Kind::User : Command::Kind::Close;
    cmd.user = tokens[1].text;
    return ParsedLine{true, cmd, {}};
  }
  if (word == "wait") return parseWait(tokens, cmd);
  if (word == "help" || word == "quit" || word == "exit") {
    if (tokens.size() != 1) return fail("\"" + word + "\" takes nothing after it");
    cmd.kind = word == "help" ? Command::Kind::Help : Command::Kind::Quit;
    return ParsedLine{true, cmd, {}};
  }
  if (word == "expect") return fail("\"expect CODE\" belongs at the end of a call line");
  return parseCall(tokens, cmd);
}

}  // namespace kivsh
