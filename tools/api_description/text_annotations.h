// Puts the lines of api_texts.h into a description: "description" on each
// API, key, event and record field, "enumeration" on the keys that take one,
// "bindingDefault" on the keys a binding may send for its caller, and the
// "enumerations" list. Names each API, key or event without a line, and each
// line, enumeration use or default that matches nothing.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/api_description/api_texts.h"
#include "tools/api_description/record_descriptions.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace describe {

// Values by "key" or "scope.key"; a scoped entry wins. Remembers which
// entries were asked for, so that those matching nothing can be named.
template <class Value>
class ScopedTable {
 public:
  void add(const std::string& name, Value v, std::vector<std::string>& problems) {
    if (!values_.emplace(name, v).second) problems.push_back("\"" + name + "\" is listed twice");
  }
  const Value* find(const std::string& scope, const std::string& key) {
    const Value* scoped = find(scope + "." + key);
    return scoped ? scoped : find(key);
  }
  const Value* find(const std::string& name) {
    auto it = values_.find(name);
    if (it == values_.end()) return nullptr;
    used_.insert(name);
    return &it->second;
  }
  std::vector<std::string> unused() const {
    std::vector<std::string> out;
    for (const auto& entry : values_) {
      if (!used_.count(entry.first)) out.push_back(entry.first);
    }
    return out;
  }

 private:
  std::map<std::string, Value> values_;
  std::set<std::string> used_;
};

class TextAnnotator {
 public:
  TextAnnotator(const ApiTexts& texts, std::vector<std::string>& problems)
      : problems_(problems), enumerations_(texts.enumerations) {
    for (const TextLine& l : texts.apis) apis_.add(l.name, l.text, problems);
    for (const TextLine& l : texts.keys) keys_.add(l.name, l.text, problems);
    for (const TextLine& l : texts.events) events_.add(l.name, l.text, problems);
    for (const TextLine& l : texts.bindingDefaults)
      defaults_.add(l.name, json::parse(l.text), problems);
    for (const Enumeration& e : enumerations_) {
      for (const char* use : e.uses) enumerationOf_.add(use, e.name, problems);
    }
  }

  void annotate(ordered& d) {
    for (auto& api : d["apis"]) {
      const std::string name = api["name"];
      describe(api, apis_.find(name), "API " + name);
      for (auto& k : api["keys"]) annotateKey(k, name, true);
    }
    for (auto& event : d["events"]) {
      const std::string callback = event["callback"];
      describe(event, events_.find(callback), "event " + callback);
      for (auto& k : event["keys"]) annotateKey(k, callback, true);
    }
    for (auto& record : d["records"]) {
      for (auto& f : record["fields"]) annotateKey(f, record["name"], false);
    }
    d["enumerations"] = enumerationList();
    reportUnused("line", apis_.unused());
    reportUnused("line", keys_.unused());
    reportUnused("line", events_.unused());
    reportUnused("enumeration use", enumerationOf_.unused());
    reportUnused("binding default", defaults_.unused());
  }

 private:
  void describe(ordered& entry, const char* const* text, const std::string& what) {
    if (text) {
      entry["description"] = *text;
    } else {
      problems_.push_back(what + " has no line in api_texts.h");
    }
  }

  // Keys of calls and events must have a line; record fields may go without.
  void annotateKey(ordered& k, const std::string& scope, bool lineNeeded) {
    const std::string key = k["key"];
    if (const std::string* e = enumerationOf_.find(scope, key)) k["enumeration"] = *e;
    if (const json* v = defaults_.find(scope, key)) k["bindingDefault"] = *v;
    const char* const* text = keys_.find(scope, key);
    if (text) {
      k["description"] = *text;
    } else if (lineNeeded) {
      problems_.push_back("key \"" + key + "\" of " + scope + " has no line in api_texts.h");
    }
  }

  ordered enumerationList() const {
    ordered out = ordered::array();
    for (const Enumeration& e : enumerations_) {
      ordered values = ordered::array();
      for (const EnumValue& v : e.values)
        values.push_back({{"name", v.name}, {"value", v.value}, {"description", v.text}});
      out.push_back({{"name", e.name},
                     {"description", e.text},
                     {"valuesFrom", e.valuesFrom},
                     {"values", std::move(values)}});
    }
    return out;
  }

  void reportUnused(const char* what, const std::vector<std::string>& names) {
    for (const std::string& n : names)
      problems_.push_back(std::string(what) + " \"" + n + "\" in api_texts.h matches nothing");
  }

  std::vector<std::string>& problems_;
  const std::vector<Enumeration>& enumerations_;
  ScopedTable<const char*> apis_, keys_, events_;
  ScopedTable<std::string> enumerationOf_;
  ScopedTable<json> defaults_;
};

}  // namespace describe
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
