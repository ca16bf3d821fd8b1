// Fuzz target: the record readers and the log masking on arbitrary text.
//
// The first byte picks one of the records that requests carry; the rest is
// the text. When it parses as JSON (as the engine parses parameters), the
// record is read from it, and everything the record points at is read back:
// strings up to their NUL, arrays element by element. The records that are
// also written are written and serialised again. Independently, the text is
// masked as the log line of every masked API name and of a plain one.
#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "src/kiv/src/json/json_text.h"
#include "src/kiv/src/json/kiv_record_fields.h"
#include "src/kiv/src/param_redaction.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fuzz {
namespace {

namespace sdk = ::velmo::kiv;

// Reading every byte a record points at makes a dangling pointer visible.
size_t touch(const char* s) { return s ? std::strlen(s) : 0; }

size_t touch(const sdk::MetadataItem& r) {
  return touch(r.key) + touch(r.value) + touch(r.authorUserId);
}
size_t touch(const sdk::StateItem& r) { return touch(r.key) + touch(r.value); }

template <class T>
size_t touch(const T* items, size_t count) {
  if (!items && count) __builtin_trap();  // a read array never reports more than it holds
  size_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum += touch(items[i]);
  return sum;
}

size_t touch(const sdk::LogConfig& r) { return touch(r.filePath); }
size_t touch(const sdk::ProxyConfig& r) {
  return touch(r.server) + touch(r.account) + touch(r.password);
}
size_t touch(const sdk::EncryptionConfig& r) { return touch(r.encryptionKey); }
size_t touch(const sdk::PrivateConfig& r) {
  return touch(r.accessPointHosts, r.accessPointHostsCount);
}
size_t touch(const sdk::KivConfig& r) {
  return touch(r.appId) + touch(r.userId) + touch(r.logConfig) + touch(r.proxyConfig) +
         touch(r.encryptionConfig) + touch(r.privateConfig);
}
size_t touch(const sdk::PublishOptions& r) { return touch(r.customType); }
size_t touch(const sdk::SubscribeOptions&) { return 0; }
size_t touch(const sdk::JoinChannelOptions& r) { return touch(r.token); }
size_t touch(const sdk::JoinTopicOptions& r) { return touch(r.meta); }
size_t touch(const sdk::TopicMessageOptions& r) { return touch(r.customType); }
size_t touch(const sdk::TopicOptions& r) { return touch(r.users, r.userCount); }
size_t touch(const sdk::PresenceOptions& r) { return touch(r.page); }
size_t touch(const sdk::GetOnlineUsersOptions& r) { return touch(r.page); }
size_t touch(const sdk::GetHistoryMessagesOptions&) { return 0; }
size_t touch(const sdk::MetadataOptions&) { return 0; }
size_t touch(const sdk::Metadata& r) { return touch(r.items, r.itemCount); }

template <class Record>
void readRecord(nlohmann::json& object, bool write) {
  Record record{};
  fromJson(object, record);
  volatile size_t sum = touch(record);
  (void)sum;
  if (write) {
    nlohmann::json out;
    toJson(out, record);
    const std::string text = dumpCompact(out);
    if (!nlohmann::json::accept(text)) __builtin_trap();
  }
}

// Reads the record picked by selector from object; also from its first member
// that holds an object, where nested records usually sit.
void readPicked(uint8_t selector, nlohmann::json& object) {
  switch (selector % 18) {
    case 0:
      return readRecord<sdk::LogConfig>(object, false);
    case 1:
      return readRecord<sdk::ProxyConfig>(object, false);
    case 2:
      return readRecord<sdk::EncryptionConfig>(object, false);
    case 3:
      return readRecord<sdk::PrivateConfig>(object, false);
    case 4:
      return readRecord<sdk::KivConfig>(object, false);
    case 5:
      return readRecord<sdk::PublishOptions>(object, false);
    case 6:
      return readRecord<sdk::SubscribeOptions>(object, false);
    case 7:
      return readRecord<sdk::JoinChannelOptions>(object, false);
    case 8:
      return readRecord<sdk::JoinTopicOptions>(object, false);
    case 9:
      return readRecord<sdk::TopicMessageOptions>(object, false);
    case 10:
      return readRecord<sdk::TopicOptions>(object, false);
    case 11:
      return readRecord<sdk::PresenceOptions>(object, false);
    case 12:
      return readRecord<sdk::GetOnlineUsersOptions>(object, false);
    case 13:
      return readRecord<sdk::GetHistoryMessagesOptions>(object, false);
    case 14:
      return readRecord<sdk::MetadataOptions>(object, false);
    case 15:
      return readRecord<sdk::MetadataItem>(object, true);
    case 16:
      return readRecord<sdk::Metadata>(object, true);
    default:
      return readRecord<sdk::StateItem>(object, true);
  }
}

constexpr const char* kMaskedNames[] = {
    "KivClient_create",
    "KivClient_login_1fa04dd",
    "KivClient_renewToken_1fa04dd",
    "StreamChannel_renewToken_1fa04dd",
    "StreamChannel_join_2090a6b",
};

void maskForLog(std::string_view text) {
  for (const char* name : kMaskedNames) {
    if (!isRedactedApi(name)) continue;
    const std::string masked = redactParams(name, text);
    volatile size_t length = masked.size();
    (void)length;
  }
  // Names that are not masked log the text as it is.
  if (redactParams("KivClient_logout_90386a9", text) != text) __builtin_trap();
}

}  // namespace
}  // namespace fuzz
}  // namespace kiv
}  // namespace quon
}  // namespace velmo

using namespace velmo::quon::kiv::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t length = size - 1;

  maskForLog(std::string_view(text, length));

  nlohmann::json parsed = nlohmann::json::parse(text, text + length, nullptr,
                                                /*allow_exceptions=*/false,
                                                /*ignore_comments=*/false);
  if (parsed.is_discarded()) return 0;
  readPicked(selector, parsed);
  if (parsed.is_object()) {
    for (auto& member : parsed.items()) {
      if (member.value().is_object()) {
        readPicked(selector, member.value());
        break;
      }
    }
  }
  return 0;
}
