// Prints the machine-readable API description (api/velmo-kiv-api.json) from
// the library's own tables: the rows every module registers with the keys
// they read, the record field lists and the event catalogue.
//
//   api_description [output-file]
//
// Each API, key, event and record field carries its line of api_texts.h.
//
// Exits non-zero when the tables do not fit together (a record or result
// event that cannot be found, a line missing or naming nothing), so the build step fails rather
// than writes a description that lies.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "src/kiv/src/IKivClient_wrapper.h"
#include "src/kiv/src/event/kiv_event_catalogue.h"
#include "src/kiv/src/impl/IKivHistory_wrapper.h"
#include "src/kiv/src/impl/IKivLock_wrapper.h"
#include "src/kiv/src/impl/IKivPresence_wrapper.h"
#include "src/kiv/src/impl/IKivStorage_wrapper.h"
#include "src/kiv/src/impl/IStreamChannel_Manager.h"
#include "src/kiv/src/quon_kiv_api_engine.h"
#include "tools/api_description/record_descriptions.h"
#include "tools/api_description/text_annotations.h"

namespace {

using namespace velmo::quon::kiv;
using describe::ordered;
using describe::RecordMap;

std::vector<std::string> problems;

// The argument kinds of the module tables and of record fields.
ordered kinds() {
  const char* rows[][3] = {
      {"string", "string",
       "text without a NUL character, passed on as UTF-8 characters valid for the call"},
      {"integer", "number", "signed 32-bit; floats truncated toward zero"},
      {"unsigned", "number", "unsigned 32-bit"},
      {"integer64", "number", "signed 64-bit"},
      {"unsigned64", "number",
       "unsigned 64-bit; its twin key holds the same value as decimal text"},
      {"number", "number", "any JSON number"},
      {"length", "number", "a payload length in bytes (unsigned 32-bit)"},
      {"address", "number", "a memory address; the engine fills payload addresses itself"},
      {"boolean", "boolean", "true or false"},
      {"object", "object", "a record, read starting from its defaults"},
      {"array", "array", "elements of kind items (a record's for \"object\")"},
      {"bytes", "array", "numbers 0 to 255, at most size of them"},
  };
  ordered out = ordered::array();
  for (const auto& r : rows) out.push_back({{"kind", r[0]}, {"json", r[1]}, {"meaning", r[2]}});
  return out;
}

ordered codes() {
  ordered out = ordered::array();
  for (const CodeDescription& c : kCallCodes)
    out.push_back({{"code", c.code}, {"name", c.name}, {"meaning", c.meaning}});
  return out;
}

ordered keyJson(const KeyDescription& k) {
  ordered out = {{"key", k.key}, {"kind", k.kind}};
  if (!k.record.empty()) out["record"] = k.record;
  if (!k.items.empty()) out["items"] = k.items;
  if (!k.filledBy.empty()) out["filledBy"] = k.filledBy;
  if (!k.countOf.empty()) out["countOf"] = k.countOf;
  return out;
}

std::string upperFirst(std::string s) {
  if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
  return s;
}

// The events that carry the outcome of an asynchronous operation: the
// catalogue's callback named after the operation, alone or with the module's
// noun ("onGetLocksResult"; "onPresenceSetStateResult";
// "onGetHistoryMessagesResult"), that has a request id.
std::vector<std::string> resultEvents(const std::string& module, const std::string& operation) {
  const std::string noun = module.rfind("Kiv", 0) == 0 ? module.substr(3) : module;
  size_t firstWord = 1;
  while (firstWord < operation.size() &&
         !std::isupper(static_cast<unsigned char>(operation[firstWord])))
    ++firstWord;
  const std::set<std::string> candidates = {
      "on" + upperFirst(operation) + "Result",
      "on" + noun + upperFirst(operation) + "Result",
      "on" + upperFirst(operation.substr(0, firstWord)) + noun + operation.substr(firstWord) +
          "Result",
  };
  std::vector<std::string> found;
  for (const EventDescription& e : kivEventCatalogue()) {
    if (!candidates.count(e.callback)) continue;
    for (const EventKey& k : e.keys) {
      if (k.name == "requestId") found.push_back(e.eventName);
    }
  }
  return found;
}

// "KivLock_setLock_89e5672" -> module "KivLock", operation "setLock".
void splitName(const std::string& name, std::string& prefix, std::string& operation) {
  const size_t first = name.find('_');
  prefix = name.substr(0, first);
  const size_t second = name.find('_', first + 1);
  operation =
      name.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

ordered apis() {
  // The engine's modules in its order. The stream-channel manager answers
  // every name it registers, the client module's creation of a channel too.
  auto client = std::make_shared<IKivClientWrapper>(nullptr, builtinProcTable());
  std::vector<std::pair<std::string, std::shared_ptr<ApiModuleBase>>> modules = {
      {"StreamChannel", std::make_shared<IStreamChannelManager>(client)},
      {"KivClient", client},
      {"KivStorage", std::make_shared<IKivStorageWrapper>(client)},
      {"KivLock", std::make_shared<IKivLockWrapper>(client)},
      {"KivPresence", std::make_shared<IKivPresenceWrapper>(client)},
      {"KivHistory", std::make_shared<IKivHistoryWrapper>(client)},
  };
  std::set<std::string> answered;
  ordered out = ordered::array();
  for (const char* order :
       {"KivClient", "StreamChannel", "KivStorage", "KivLock", "KivPresence", "KivHistory"}) {
    for (auto& [moduleKey, module] : modules) {
      for (const auto& [name, d] : module->describeApis()) {
        std::string prefix, operation;
        splitName(name, prefix, operation);
        // Listed under the module that answers it, grouped by its name's prefix.
        if (prefix != order || answered.count(name)) continue;
        if (moduleKey != prefix && moduleKey != "StreamChannel") continue;
        answered.insert(name);
        ordered api = {
            {"name", name}, {"module", moduleKey}, {"operation", operation}, {"mode", d.mode}};
        ordered keys = ordered::array(), optional = ordered::array();
        for (const KeyDescription& k : d.keys) {
          keys.push_back(keyJson(k));
          if (k.optional) optional.push_back(k.key);
        }
        api["keys"] = std::move(keys);
        api["optionalKeys"] = std::move(optional);
        api["buffer"] = d.buffer.empty() ? ordered() : ordered(d.buffer);
        ordered result = ordered::array(), resultKinds = ordered::array();
        for (const ResultKey& r : d.result) {
          result.push_back(r.name);
          resultKinds.push_back(r.kind);
        }
        api["result"] = std::move(result);
        api["resultKinds"] = std::move(resultKinds);
        ordered events = ordered::array();
        if (d.mode == "async") {
          const auto found = resultEvents(prefix, operation);
          if (found.size() != 1)
            problems.push_back(name + ": " + std::to_string(found.size()) + " result events");
          for (const std::string& e : found) events.push_back(e);
        }
        api["resultEvents"] = std::move(events);
        api["code"] = d.code;
        out.push_back(std::move(api));
      }
    }
  }
  return out;
}

const char* bufferName(EventPayload p) {
  switch (p) {
    case EventPayload::kMessage:
      return "message";
    case EventPayload::kPerHistoryMessage:
      return "perHistoryMessage";
    case EventPayload::kNone:
      break;
  }
  return "none";
}

// Catalogue keys with each "_str" twin folded into its number.
ordered eventList() {
  ordered out = ordered::array();
  for (const EventDescription& e : kivEventCatalogue()) {
    ordered keys = ordered::array();
    for (size_t i = 0; i < e.keys.size(); ++i) {
      const EventKey& k = e.keys[i];
      ordered key = {{"key", k.name}};
      const bool twin = i + 1 < e.keys.size() && e.keys[i + 1].name == k.name + "_str";
      if (k.jsonType == "unsigned integer") {
        key["kind"] = "unsigned64";
        if (twin) key["twin"] = e.keys[++i].name;
      } else {
        key["kind"] = k.jsonType;
      }
      if (!k.record.empty()) {
        if (k.jsonType == "array") key["items"] = "object";
        key["record"] = k.record;
      }
      keys.push_back(std::move(key));
    }
    out.push_back({{"name", e.eventName},
                   {"callback", e.callback},
                   {"keys", std::move(keys)},
                   {"buffers", bufferName(e.payload)}});
  }
  return out;
}

ordered records() {
  namespace s = ::velmo::kiv;
  RecordMap map;
  // The records the calls read and the events write; the rest are reached
  // through them.
  describe::addRecord<s::KivConfig>(map);
  describe::addRecord<s::PublishOptions>(map);
  describe::addRecord<s::SubscribeOptions>(map);
  describe::addRecord<s::JoinChannelOptions>(map);
  describe::addRecord<s::JoinTopicOptions>(map);
  describe::addRecord<s::TopicMessageOptions>(map);
  describe::addRecord<s::TopicOptions>(map);
  describe::addRecord<s::PresenceOptions>(map);
  describe::addRecord<s::GetOnlineUsersOptions>(map);
  describe::addRecord<s::GetHistoryMessagesOptions>(map);
  describe::addRecord<s::MetadataOptions>(map);
  describe::addRecord<s::Metadata>(map);
  describe::addRecord<s::StateItem>(map);
  describe::addRecord<s::LinkStateEvent>(map);
  describe::addRecord<s::MessageEvent>(map);
  describe::addRecord<s::PresenceEvent>(map);
  describe::addRecord<s::TopicEvent>(map);
  describe::addRecord<s::LockEvent>(map);
  describe::addRecord<s::StorageEvent>(map);
  describe::addRecord<s::TokenEvent>(map);
  describe::addRecord<s::UserList>(map);
  describe::addRecord<s::UserState>(map);
  describe::addRecord<s::LockDetail>(map);
  describe::addRecord<s::ChannelInfo>(map);
  describe::addRecord<s::HistoryMessage>(map);
  ordered out = ordered::array();
  for (auto& entry : map) out.push_back(std::move(entry.second));
  return out;
}

// Every record named by a call or an event must be described.
void checkRecordsNamed(const ordered& description) {
  std::set<std::string> known;
  for (const auto& r : description["records"]) known.insert(r["name"].get<std::string>());
  for (const char* part : {"apis", "events"}) {
    for (const auto& entry : description[part]) {
      for (const auto& k : entry["keys"]) {
        if (k.contains("record") && !known.count(k["record"].get<std::string>()))
          problems.push_back(entry["name"].get<std::string>() + ": record " +
                             k["record"].get<std::string>() + " is not described");
      }
    }
  }
}

// Top level indented, each entry of a list on one line: short diffs.
std::string render(const ordered& d) {
  std::ostringstream out;
  out << "{\n";
  bool firstMember = true;
  for (auto it = d.begin(); it != d.end(); ++it) {
    out << (firstMember ? "" : ",\n") << "  " << ordered(it.key()).dump() << ": ";
    firstMember = false;
    if (!it->is_array()) {
      out << it->dump(-1, ' ', false);
      continue;
    }
    out << "[\n";
    for (size_t i = 0; i < it->size(); ++i)
      out << "    " << (*it)[i].dump(-1, ' ', false) << (i + 1 < it->size() ? ",\n" : "\n");
    out << "  ]";
  }
  out << "\n}\n";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  ordered d;
  d["library"] = "VelmoKivWrapper";
  d["version"] = VELMO_KIV_API_VERSION;
  d["resultBufferSize"] = QUON_KIV_RESULT_BUFFER_SIZE;
  d["codes"] = codes();
  d["kinds"] = kinds();
  d["apis"] = apis();
  d["records"] = records();
  d["events"] = eventList();
  checkRecordsNamed(d);
  describe::TextAnnotator(describe::standardTexts(), problems).annotate(d);
  if (!problems.empty()) {
    for (const std::string& p : problems) std::cerr << "api_description: " << p << "\n";
    return 1;
  }
  const std::string text = render(d);
  if (argc < 2) {
    std::cout << text;
    return 0;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << text;
  return out.good() ? 0 : 1;
}
