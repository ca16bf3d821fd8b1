// Describes SDK records from their field lists (kiv_record_fields.h): one
// entry per field with its JSON key, kind, default and twin, and every record
// reached through nested fields and array elements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <type_traits>

#include "src/kiv/src/json/kiv_record_fields.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace describe {

using ordered = nlohmann::ordered_json;

// Record name to its description; a sorted map keeps the output stable.
using RecordMap = std::map<std::string, ordered>;

template <class Record>
void addRecord(RecordMap& records);

template <class T>
const char* numberKind() {
  static_assert(std::is_integral<T>::value, "integral fields");
  if (sizeof(T) <= 4) return std::is_signed<T>::value ? "integer" : "unsigned";
  return std::is_signed<T>::value ? "integer64" : "unsigned64";
}

// One describe() per field kind of json_fields.h. defaults is the JSON form of
// a default-constructed record.
template <class R>
struct FieldDescriber {
  RecordMap& records;
  const json& defaults;

  ordered field(const char* key, const char* kind) const {
    ordered f = {{"key", key}, {"kind", kind}};
    return f;
  }
  ordered withDefault(ordered f, const char* key) const {
    auto it = defaults.find(key);
    if (it != defaults.end()) f["default"] = *it;
    return f;
  }

  ordered operator()(const fields::Str<R>& f) const {
    return withDefault(field(f.key, "string"), f.key);
  }
  ordered operator()(const fields::Bool<R>& f) const {
    return withDefault(field(f.key, "boolean"), f.key);
  }
  template <class T>
  ordered operator()(const fields::Num<R, T>& f) const {
    return withDefault(field(f.key, numberKind<T>()), f.key);
  }
  template <class T>
  ordered operator()(const fields::Twin<R, T>& f) const {
    ordered d = withDefault(field(f.key, "unsigned64"), f.key);
    d["twin"] = f.twinKey;
    return d;
  }
  template <class P>
  ordered operator()(const fields::Addr<R, P>& f) const {
    ordered d = withDefault(field(f.key, "address"), f.key);
    d["twin"] = f.twinKey;
    return d;
  }
  template <class Sub>
  ordered operator()(const fields::Nested<R, Sub>& f) const {
    addRecord<Sub>(records);
    ordered d = field(f.key, "object");
    d["record"] = RecordFields<Sub>::name;
    return d;
  }
  template <class Elem>
  ordered operator()(const fields::Array<R, Elem>& f) const {
    using E = std::remove_const_t<Elem>;
    ordered d = field(f.key, "array");
    if constexpr (std::is_same<E, const char*>::value) {
      d["items"] = "string";
    } else {
      addRecord<E>(records);
      d["items"] = "object";
      d["record"] = RecordFields<E>::name;
    }
    d["count"] = f.countKey;
    d["countTwin"] = f.countTwin;
    return d;
  }
  template <size_t N>
  ordered operator()(const fields::Bytes<R, N>& f) const {
    ordered d = field(f.key, "bytes");
    d["size"] = N;
    return d;
  }
};

template <class Record>
void addRecord(RecordMap& records) {
  const std::string name = RecordFields<Record>::name;
  if (records.count(name)) return;
  records[name] = nullptr;  // marks it as in progress
  json defaults;
  toJson(defaults, Record{});
  FieldDescriber<Record> describer{records, defaults};
  ordered list = ordered::array();
  std::apply([&](const auto&... f) { (list.push_back(describer(f)), ...); },
             RecordFields<Record>::list());
  records[name] = {{"name", name}, {"fields", std::move(list)}};
}

}  // namespace describe
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
