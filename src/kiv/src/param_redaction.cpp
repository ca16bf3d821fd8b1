#include "src/kiv/src/param_redaction.h"

#include <cstring>

namespace velmo {
namespace quon {
namespace kiv {

namespace {

constexpr std::string_view kMask = "***************";

constexpr const char* kRedactedApis[] = {
    "KivClient_create",
    "KivClient_login_1fa04dd",
    "KivClient_renewToken_1fa04dd",
    "StreamChannel_renewToken_1fa04dd",
    "StreamChannel_join_2090a6b",  // the token inside "options"
};

// A string value to mask wherever its key appears. A value of more than
// keepHead + keepTail characters keeps that many characters at each end
// around the mask; a shorter one would be readable from its ends (or is one
// of the keys with nothing to keep) and is replaced by the mask whole.
// Characters are UTF-8 characters: a kept end never splits one.
struct SecretKey {
  std::string_view name;  // without its quotes
  size_t keepHead;
  size_t keepTail;
};

constexpr SecretKey kSecretKeys[] = {
    {"appId", 3, 3},
    {"token", 4, 4},
    {"encryptionKey", 0, 0},
    {"password", 0, 0},
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

size_t skipBlanks(std::string_view text, size_t at) {
  while (at < text.size() && isBlank(text[at])) ++at;
  return at;
}

// The secret key whose quoted name starts at text[quote], or null.
const SecretKey* keyAt(std::string_view text, size_t quote) {
  for (const SecretKey& key : kSecretKeys) {
    const size_t end = quote + 1 + key.name.size();
    if (end < text.size() && text[end] == '"' &&
        text.compare(quote + 1, key.name.size(), key.name) == 0)
      return &key;
  }
  return nullptr;
}

// Position just after blanks + ":" + blanks + `"`, or npos.
size_t valueStart(std::string_view text, size_t keyEnd) {
  size_t at = skipBlanks(text, keyEnd);
  if (at >= text.size() || text[at] != ':') return std::string_view::npos;
  at = skipBlanks(text, at + 1);
  if (at >= text.size() || text[at] != '"') return std::string_view::npos;
  return at + 1;
}

bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Position after `count` characters from `at`, at most `end`.
size_t afterCharacters(std::string_view text, size_t at, size_t end, size_t count) {
  for (; count > 0 && at < end; --count) {
    ++at;
    while (at < end && isUtf8Continuation(text[at])) ++at;
  }
  return at;
}

// Start of the last `count` characters before `end`, at least `floor`.
size_t beforeCharacters(std::string_view text, size_t floor, size_t end, size_t count) {
  size_t at = end;
  for (; count > 0 && at > floor; --count) {
    --at;
    while (at > floor && isUtf8Continuation(text[at])) --at;
  }
  return at;
}

// End of a string value starting at `start`: its closing quote, or the end of
// a text cut short (a cut secret is still a secret).
size_t valueEnd(std::string_view text, size_t start) {
  size_t at = start;
  while (at < text.size() && text[at] != '"') at += text[at] == '\\' ? 2 : 1;
  return at < text.size() ? at : text.size();
}

}  // namespace

bool isRedactedApi(const char* apiName) {
  if (!apiName) return false;
  for (const char* name : kRedactedApis)
    if (std::strcmp(apiName, name) == 0) return true;
  return false;
}

std::string redactParams(const char* apiName, std::string_view text) {
  if (!isRedactedApi(apiName)) return std::string(text);
  // One left-to-right pass: every value of every secret key is masked where it stands.
  std::string out;
  out.reserve(text.size() + kMask.size());
  size_t copied = 0;
  size_t at = 0;
  while ((at = text.find('"', at)) != std::string_view::npos) {
    const SecretKey* key = keyAt(text, at);
    if (!key) {
      ++at;
      continue;
    }
    const size_t start = valueStart(text, at + key->name.size() + 2);
    if (start == std::string_view::npos) {
      at += key->name.size() + 2;
      continue;
    }
    const size_t end = valueEnd(text, start);
    const size_t headEnd = afterCharacters(text, start, end, key->keepHead);
    const size_t tailStart = beforeCharacters(text, headEnd, end, key->keepTail);
    // Something between the kept ends: more than keepHead + keepTail characters.
    const bool keepEnds = tailStart > headEnd;
    out.append(text, copied, (keepEnds ? headEnd : start) - copied);
    out.append(kMask);
    copied = keepEnds ? tailStart : end;
    at = end + 1;
  }
  if (copied < text.size()) out.append(text, copied, std::string_view::npos);
  return out;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
