// The description tool's lines of text: put on every API, key, event and
// record field they name, the scoped line before the shared one, and each
// line missing or naming nothing reported by name.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tools/api_description/text_annotations.h"

namespace {

using namespace velmo::quon::kiv::describe;

const char kDescription[] = R"({
  "apis": [{"name": "Mod_call_1", "keys": [{"key": "channelType", "kind": "integer"},
                                           {"key": "retry", "kind": "boolean"}]}],
  "events": [{"name": "Handler_onDone_2", "callback": "onDone",
              "keys": [{"key": "state", "kind": "integer"}]}],
  "records": [{"name": "Rec", "fields": [{"key": "state", "kind": "integer"},
                                         {"key": "plain", "kind": "string"}]}]
})";

struct Tables {
  std::vector<TextLine> apis{{"Mod_call_1", "Calls."}};
  std::vector<TextLine> keys{{"channelType", "A type."},
                             {"retry", "Whether to wait."},
                             {"state", "A state."},
                             {"onDone.state", "The new state."}};
  std::vector<TextLine> events{{"onDone", "Done."}};
  std::vector<Enumeration> enumerations{
      {"Kind", "Kinds.", "a test", {{"One", 1, "The first."}}, {"channelType", "Rec.state"}}};
  std::vector<TextLine> defaults{{"Mod_call_1.retry", "false"}};
};

struct Outcome {
  ordered description = ordered::parse(kDescription);
  std::vector<std::string> problems;
};

Outcome annotate(const Tables& t) {
  Outcome out;
  TextAnnotator({t.apis, t.keys, t.events, t.enumerations, t.defaults}, out.problems)
      .annotate(out.description);
  return out;
}

TEST(ApiTexts, EveryNameGetsItsLineTheScopedOneFirst) {
  const Outcome o = annotate(Tables{});
  EXPECT_TRUE(o.problems.empty()) << o.problems.front();
  const ordered& api = o.description["apis"][0];
  EXPECT_EQ(api["description"], "Calls.");
  EXPECT_EQ(api["keys"][0]["enumeration"], "Kind");
  EXPECT_EQ(api["keys"][1]["bindingDefault"], false);
  EXPECT_FALSE(api["keys"][0].contains("bindingDefault"));
  const ordered& event = o.description["events"][0];
  EXPECT_EQ(event["description"], "Done.");
  EXPECT_EQ(event["keys"][0]["description"], "The new state.");
  EXPECT_FALSE(event["keys"][0].contains("enumeration"));
  const ordered& record = o.description["records"][0];
  EXPECT_EQ(record["fields"][0]["description"], "A state.");
  EXPECT_EQ(record["fields"][0]["enumeration"], "Kind");
  EXPECT_FALSE(record["fields"][1].contains("description"));  // a field may go without
  EXPECT_EQ(o.description["enumerations"][0]["values"][0]["name"], "One");
}

struct Mistake {
  const char* what;
  void (*make)(Tables&);
  const char* reported;
};

const Mistake kMistakes[] = {
    {"an API without a line", [](Tables& t) { t.apis.clear(); }, "API Mod_call_1 has no line"},
    {"an event without a line", [](Tables& t) { t.events.clear(); }, "event onDone has no line"},
    {"a call's key without a line", [](Tables& t) { t.keys.erase(t.keys.begin() + 1); },
     "key \"retry\" of Mod_call_1 has no line"},
    {"an event's key without a line",
     [](Tables& t) { t.keys.erase(t.keys.begin() + 2, t.keys.end()); },
     "key \"state\" of onDone has no line"},
    {"a line for no API",
     [](Tables& t) {
       t.apis.push_back({"Mod_gone_1", "Gone."});
     },
     "line \"Mod_gone_1\" in api_texts.h matches nothing"},
    {"a line for no key",
     [](Tables& t) {
       t.keys.push_back({"onDone.ghost", "Boo."});
     },
     "line \"onDone.ghost\" in api_texts.h matches nothing"},
    {"a line listed twice",
     [](Tables& t) {
       t.events.push_back({"onDone", "Again."});
     },
     "\"onDone\" is listed twice"},
    {"an enumeration no key takes",
     [](Tables& t) { t.enumerations[0].uses.push_back("Rec.missing"); },
     "enumeration use \"Rec.missing\" in api_texts.h matches nothing"},
    {"a default for no key",
     [](Tables& t) {
       t.defaults.push_back({"Mod_call_1.lockName", "\"\""});
     },
     "binding default \"Mod_call_1.lockName\" in api_texts.h matches nothing"},
};

TEST(ApiTexts, EachMistakeIsReportedByName) {
  for (const Mistake& m : kMistakes) {
    Tables tables;
    m.make(tables);
    const Outcome o = annotate(tables);
    ASSERT_EQ(o.problems.size(), 1u) << m.what;
    EXPECT_NE(o.problems[0].find(m.reported), std::string::npos) << m.what << ": " << o.problems[0];
  }
}

// The tool's own tables describe the library without a problem (the tool
// would fail the build otherwise); here the tables themselves must agree.
TEST(ApiTexts, TheStandardEnumerationsNameEachValueOnce) {
  for (const Enumeration& e : standardTexts().enumerations) {
    std::set<std::string> names;
    std::set<int> values;
    for (const EnumValue& v : e.values) {
      EXPECT_TRUE(names.insert(v.name).second) << e.name << "." << v.name;
      EXPECT_TRUE(values.insert(v.value).second) << e.name << " = " << v.value;
    }
    EXPECT_FALSE(e.uses.empty()) << e.name;
  }
}

}  // namespace
