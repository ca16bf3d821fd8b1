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

// A string value to mask wherever its key appears: the characters between
// the first keepHead and the last keepTail are replaced by the mask. Values
// shorter than keepHead + keepTail, or holding other than letters and digits
// when lettersAndDigitsOnly, are left alone.
struct SecretKey {
  std::string_view quotedKey;
  size_t keepHead;
  size_t keepTail;
  bool lettersAndDigitsOnly;
};

// Applied in this order, each to the text the previous one produced.
constexpr SecretKey kSecretKeys[] = {
    {"\"appId\"", 3, 3, true},
    {"\"token\"", 4, 4, false},
    {"\"encryptionKey\"", 0, 0, false},
    {"\"password\"", 0, 0, false},
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

size_t skipBlanks(std::string_view text, size_t at) {
  while (at < text.size() && isBlank(text[at])) ++at;
  return at;
}

// Position just after `"key"` + blanks + ":" + blanks + `"`, or npos.
size_t valueStartAfterKey(std::string_view text, size_t keyEnd) {
  size_t at = skipBlanks(text, keyEnd);
  if (at >= text.size() || text[at] != ':') return std::string_view::npos;
  at = skipBlanks(text, at + 1);
  if (at >= text.size() || text[at] != '"') return std::string_view::npos;
  return at + 1;
}

// End of a string value starting at `start`: its closing quote, or the end of
// a text cut short (a cut secret is still a secret). npos when the value
// breaks the key's character rule.
size_t valueEnd(std::string_view text, size_t start, const SecretKey& key) {
  size_t at = start;
  while (at < text.size() && text[at] != '"') {
    if (key.lettersAndDigitsOnly) {
      if (!isLetterOrDigit(text[at])) return std::string_view::npos;
      ++at;
    } else {
      at += text[at] == '\\' ? 2 : 1;  // an escaped quote stays inside the value
    }
  }
  return at < text.size() ? at : text.size();
}

// One left-to-right pass: every value of the key is masked where it stands.
std::string maskValues(std::string_view text, const SecretKey& key) {
  std::string out;
  out.reserve(text.size());
  size_t copied = 0;
  size_t searchFrom = 0;
  for (size_t keyAt = text.find(key.quotedKey, searchFrom); keyAt != std::string_view::npos;
       keyAt = text.find(key.quotedKey, searchFrom)) {
    searchFrom = keyAt + 1;
    const size_t start = valueStartAfterKey(text, keyAt + key.quotedKey.size());
    if (start == std::string_view::npos) continue;
    const size_t end = valueEnd(text, start, key);
    if (end == std::string_view::npos || end - start < key.keepHead + key.keepTail) continue;
    out.append(text, copied, start + key.keepHead - copied);
    out.append(kMask);
    copied = end - key.keepTail;
    searchFrom = end;
  }
  out.append(text, copied, std::string_view::npos);
  return out;
}

}  // namespace

bool isRedactedApi(const char* apiName) {
  if (!apiName) return false;
  for (const char* name : kRedactedApis)
    if (std::strcmp(apiName, name) == 0) return true;
  return false;
}

std::string redactParams(const char* apiName, std::string_view params) {
  std::string text(params);
  if (!isRedactedApi(apiName)) return text;
  for (const SecretKey& key : kSecretKeys) text = maskValues(text, key);
  return text;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
