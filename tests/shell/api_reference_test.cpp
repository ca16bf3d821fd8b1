// docs/api-reference.md against the library itself: the API names every
// module registers, the event catalogue row by row, and each listed key
// being one the call cannot do without.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
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
#include "velmo_kiv_wrapper.h"

namespace {

using namespace velmo::quon::kiv;
using nlohmann::json;

struct DocRow {
  std::string name;
  std::string keys;   // second cell, as written
  std::string cells;  // the first three cells, as a row of their own
  std::string text;   // the fourth cell: what the call does or the event reports
};

// Table rows whose first cell is a backticked name.
std::map<std::string, DocRow> readReference(std::vector<std::string>* duplicates) {
  std::ifstream in(std::string(VELMO_SOURCE_DIR) + "/docs/api-reference.md");
  std::map<std::string, DocRow> rows;
  const std::regex row(
      R"(^\| `([A-Za-z]+_[A-Za-z0-9_]+)` \| ([^|]*) \| ([^|]*) \|(?: ([^|]*) \|)?$)");
  std::string line;
  std::smatch m;
  while (std::getline(in, line)) {
    if (!std::regex_match(line, m, row)) continue;
    if (rows.count(m[1])) duplicates->push_back(m[1]);
    rows[m[1]] = DocRow{m[1], m[2],
                        "| `" + m[1].str() + "` | " + m[2].str() + " | " + m[3].str() + " |", m[4]};
  }
  return rows;
}

bool isEventName(const std::string& name) { return name.rfind("KivEventHandler_", 0) == 0; }

// The names each module registers, read from its own table.
std::set<std::string> registeredApiNames() {
  auto client = std::make_shared<IKivClientWrapper>(nullptr, builtinProcTable());
  std::vector<std::unique_ptr<ApiModuleBase>> modules;
  modules.emplace_back(new IStreamChannelManager(client));
  modules.emplace_back(new IStreamChannelWrapper(nullptr));
  modules.emplace_back(new IKivStorageWrapper(client));
  modules.emplace_back(new IKivLockWrapper(client));
  modules.emplace_back(new IKivPresenceWrapper(client));
  modules.emplace_back(new IKivHistoryWrapper(client));
  std::set<std::string> names;
  for (const std::string& name : client->apiNames()) names.insert(name);
  for (auto& module : modules) {
    for (const std::string& name : module->apiNames()) names.insert(name);
  }
  return names;
}

// The row the reference gives an event, built from the catalogue.
std::string eventRow(const EventDescription& e) {
  std::string keys;
  for (const EventKey& k : e.keys) {
    keys += (keys.empty() ? "`" : ", `") + k.name + "` " + k.jsonType;
    if (!k.record.empty()) keys += " (" + k.record + ")";
  }
  const char* buffers = e.payload == EventPayload::kMessage ? "one: the message payload"
                        : e.payload == EventPayload::kPerHistoryMessage
                            ? "one per message, in list order"
                            : "none";
  return "| `" + e.eventName + "` | " + keys + " | " + buffers + " |";
}

TEST(ShellReference, ListsEveryRegisteredApiNameOnce) {
  std::vector<std::string> duplicates;
  const auto rows = readReference(&duplicates);
  EXPECT_TRUE(duplicates.empty()) << duplicates.front();
  std::set<std::string> documented;
  for (const auto& [name, row] : rows) {
    if (!isEventName(name)) documented.insert(name);
  }
  const std::set<std::string> registered = registeredApiNames();
  ASSERT_GT(registered.size(), 50u);
  for (const auto& name : registered) {
    EXPECT_TRUE(documented.count(name)) << "missing " << name;
    if (documented.count(name)) {
      EXPECT_FALSE(rows.at(name).text.empty()) << name << " says nothing";
    }
  }
  for (const auto& name : documented) EXPECT_TRUE(registered.count(name)) << "unknown " << name;
}

TEST(ShellReference, ListsEveryCatalogueEventWithItsBodyKeys) {
  std::vector<std::string> duplicates;
  const auto rows = readReference(&duplicates);
  std::set<std::string> documented;
  for (const auto& [name, row] : rows) {
    if (isEventName(name)) documented.insert(name);
  }
  const auto& catalogue = kivEventCatalogue();
  ASSERT_EQ(catalogue.size(), 47u);
  std::set<std::string> catalogued;
  for (const EventDescription& e : catalogue) {
    catalogued.insert(e.eventName);
    auto it = rows.find(e.eventName);
    if (it == rows.end()) {
      ADD_FAILURE() << "missing " << eventRow(e);
    } else {
      EXPECT_EQ(it->second.cells, eventRow(e));
      EXPECT_FALSE(it->second.text.empty()) << e.eventName << " says nothing of what it reports";
    }
  }
  for (const auto& name : documented) EXPECT_TRUE(catalogued.count(name)) << "unknown " << name;
}

// A value of each kind the reference uses.
json sampleOf(const std::string& kind) {
  if (kind == "string") return "ref-doc";
  if (kind == "boolean") return false;
  if (kind == "object") return json::object();
  if (kind == "array") return json::array();
  return 0;  // integer, unsigned, number, length, address
}

struct Call {
  char result[QUON_KIV_RESULT_BUFFER_SIZE];
  int run(QuonKivEngineHandle engine, const std::string& api, const json& params) {
    const std::string text = params.dump();
    ApiParam p{};
    p.apiName = api.c_str();
    p.params = text.c_str();
    p.paramsLength = static_cast<unsigned>(text.size());
    p.resultBuffer = result;
    return CallQuonKivApi(engine, &p);
  }
};

TEST(ShellReference, EveryListedKeyIsRequiredAndAcceptedInItsKind) {
  std::vector<std::string> duplicates;
  const auto rows = readReference(&duplicates);
  QuonKivEngineHandle engine = CreateQuonKivEngineWithProcTable(nullptr);
  ASSERT_NE(engine, nullptr);
  Call call;
  ASSERT_EQ(call.run(engine, "KivClient_create",
                     {{"config", {{"appId", "ref-doc"}, {"userId", "ref-doc"}}}}),
            0);
  ASSERT_EQ(json::parse(call.result)["errorCode"], 0) << call.result;
  ASSERT_EQ(call.run(engine, "KivClient_createStreamChannel_ae3d0cf", {{"channelName", "ref-doc"}}),
            0);

  const std::regex key(R"(`([A-Za-z_]+)` ([a-z]+))");
  size_t checkedKeys = 0;
  for (const auto& [name, row] : rows) {
    if (isEventName(name) || row.keys.find("optional") != std::string::npos) continue;
    json params = json::object();
    for (std::sregex_iterator it(row.keys.begin(), row.keys.end(), key), end; it != end; ++it) {
      params[(*it)[1].str()] = sampleOf((*it)[2].str());
    }
    for (const auto& item : params.items()) {
      json without = params;
      without.erase(item.key());
      EXPECT_EQ(call.run(engine, name, without), -2) << name << " without " << item.key();
      ++checkedKeys;
    }
    // The log setters would change this process's log, the releases its client.
    const bool sideEffects =
        name.find("_setLog") != std::string::npos || name.find("_release") != std::string::npos;
    if (!params.empty() && !sideEffects) {
      EXPECT_EQ(call.run(engine, name, params), 0) << name << " with " << params.dump();
    }
  }
  EXPECT_GE(checkedKeys, 100u);
  DestroyQuonKivEngine(engine);
}

}  // namespace
