// Shared helpers of the record-mapping tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "src/kiv/src/json/json_text.h"
#include "src/kiv/src/json/kiv_record_fields.h"

namespace kivjson {

using json = nlohmann::json;
namespace sdk = ::velmo::kiv;
using velmo::quon::kiv::dumpCompact;
using velmo::quon::kiv::fromJson;
using velmo::quon::kiv::toJson;

// Reads a record that starts from its defaults, as the modules do. The record
// points into object, which must outlive it.
template <class Record>
Record readFrom(json& object) {
  Record record{};
  fromJson(object, record);
  return record;
}

template <class Record>
json written(const Record& record) {
  json value = 42;  // toJson must replace whatever the value held
  toJson(value, record);
  return value;
}

// The same JSON in the library's canonical text (sorted keys, compact).
inline std::string canonical(const char* text) { return dumpCompact(json::parse(text)); }

// The characters of the JSON string under key, for pointer-identity checks.
inline const char* charsAt(const json& object, const char* key) {
  return object.at(key).get_ref<const std::string&>().c_str();
}

// A fake payload or handler address: written as a number, never dereferenced.
template <class P>
P fakeAddress(uintptr_t value) {
  return reinterpret_cast<P>(value);
}

// Every "K_str" key sits beside an unsigned number K holding the same value,
// and no value anywhere is null.
inline void expectTwinsAndNoNulls(const json& value, const std::string& path = "") {
  ASSERT_FALSE(value.is_null()) << path;
  if (value.is_array()) {
    for (size_t i = 0; i < value.size(); ++i)
      expectTwinsAndNoNulls(value[i], path + "[" + std::to_string(i) + "]");
    return;
  }
  if (!value.is_object()) return;
  for (auto it = value.begin(); it != value.end(); ++it) {
    const std::string& key = it.key();
    expectTwinsAndNoNulls(it.value(), path + "." + key);
    const std::string suffix = "_str";
    if (key.size() <= suffix.size() || key.compare(key.size() - 4, 4, suffix) != 0) continue;
    const std::string base = key.substr(0, key.size() - 4);
    ASSERT_TRUE(value.contains(base)) << path << "." << key << " has no number";
    ASSERT_TRUE(value[base].is_number_unsigned()) << path << "." << base;
    ASSERT_TRUE(it.value().is_string()) << path << "." << key;
    EXPECT_EQ(it.value().get<std::string>(), std::to_string(value[base].get<uint64_t>()))
        << path << "." << key;
  }
}

}  // namespace kivjson
