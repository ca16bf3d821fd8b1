// The field kinds of SDK records and their JSON forms, written once.
//
// A record's mapping is a list of fields, each made by one of the factory
// functions below (key, member, and for arrays the count member):
//
//   template <> struct RecordFields<LogConfig> {
//     static constexpr auto list() {
//       return std::make_tuple(str("filePath", &LogConfig::filePath),
//                              num("fileSizeInKB", &LogConfig::fileSizeInKB), ...);
//     }
//   };
//
// fromJson() walks the list to read a record, toJson() to write it.
//
// A missing key or a value of another kind leaves the field as it was.
// Strings read from JSON are not copied: the record points into the JSON
// value, and arrays are stored inside the object they were read from (under
// "_quon_data"), so a record lives exactly as long as its JSON.
//
// Reading fails only for a text that holds a NUL character ("a\u0000b"): the
// SDK reads texts up to their first NUL, so it would act on a text cut short.
// fromJson() then returns false with the text's path inside the object read
// ("items[1].value"), and the caller refuses the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <type_traits>

#include "src/kiv/src/json/json_numbers.h"

// A key followed by its decimal-text twin key.
#define KIV_TWIN(key) key, key "_str"

namespace velmo {
namespace quon {
namespace kiv {

template <class Record>
struct RecordFields;  // specialised once per record (kiv_record_fields.h)

template <class Record>
bool fromJson(json& object, Record& record, std::string& refusedText);
template <class Record>
bool fromJson(json& object, Record& record);
template <class Record>
void toJson(json& value, const Record& record);

namespace fields {

// The JSON value under key when object is an object holding it, else null.
inline json* member(json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

// The characters of a JSON string as a text for the SDK, or null when the
// text holds a NUL character (the SDK would see only the part before it).
inline const char* textChars(const json& value) {
  const json::string_t& text = *value.get_ptr<const json::string_t*>();
  return text.find('\0') == json::string_t::npos ? text.c_str() : nullptr;
}

inline json textOf(const char* s) { return s ? json(s) : json(""); }

// Unsigned value under its key and as decimal text under the twin key.
template <class Unsigned>
void writeTwin(json& out, const char* key, const char* twinKey, Unsigned v) {
  out[key] = static_cast<uint64_t>(v);
  out[twinKey] = std::to_string(static_cast<uint64_t>(v));
}

// The element block of an array read from object under key: a string value
// of the block's size, held in object["_quon_data"][key].
inline char* arrayBlock(json& object, const char* key, size_t bytes) {
  json& store = object["_quon_data"];
  if (!store.is_object()) store = json::object();
  json& slot = store[key];
  slot = json::string_t(bytes, '\0');
  return &(*slot.get_ptr<json::string_t*>())[0];
}

template <class R>
struct Str {
  const char* key;
  const char* R::*m;
  bool read(json& obj, R& r, std::string& refusedText) const {
    json* v = member(obj, key);
    if (!v || !v->is_string()) return true;
    const char* text = textChars(*v);
    if (!text) {
      refusedText = key;
      return false;
    }
    r.*m = text;
    return true;
  }
  void write(json& out, const R& r) const { out[key] = textOf(r.*m); }
};

template <class R>
struct Bool {
  const char* key;
  bool R::*m;
  bool read(json& obj, R& r, std::string&) const {
    if (json* v = member(obj, key); v && v->is_boolean()) r.*m = v->get<bool>();
    return true;
  }
  void write(json& out, const R& r) const { out[key] = r.*m; }
};

// Integers without a twin: enumerations, int32, uint16, uint32, int64.
template <class R, class T>
struct Num {
  const char* key;
  T R::*m;
  bool read(json& obj, R& r, std::string&) const {
    if (json* v = member(obj, key); v && v->is_number()) r.*m = numberTo<T>(*v);
    return true;
  }
  void write(json& out, const R& r) const {
    if (std::is_signed<T>::value)
      out[key] = static_cast<int64_t>(r.*m);
    else
      out[key] = static_cast<uint64_t>(r.*m);
  }
};

// Unsigned 64-bit values, counts and lengths: number plus decimal-text twin.
// On reading, a twin holding text wins over the number.
template <class R, class T>
struct Twin {
  const char* key;
  const char* twinKey;
  T R::*m;
  bool read(json& obj, R& r, std::string&) const {
    if (json* t = member(obj, twinKey); t && t->is_string()) {
      uint64_t parsed = 0;
      if (parseDecimalU64(*t->get_ptr<const json::string_t*>(), parsed)) {
        r.*m = static_cast<T>(parsed);
        return true;
      }
    }
    if (json* v = member(obj, key); v && v->is_number()) r.*m = numberTo<T>(*v);
    return true;
  }
  void write(json& out, const R& r) const { writeTwin(out, key, twinKey, r.*m); }
};

// Pointer values (payload addresses, the host's sink, the host's context):
// read from the plain number only, written as number plus twin.
template <class R, class P>
struct Addr {
  const char* key;
  const char* twinKey;
  P R::*m;
  bool read(json& obj, R& r, std::string&) const {
    if (json* v = member(obj, key); v && v->is_number())
      r.*m = reinterpret_cast<P>(numberTo<uintptr_t>(*v));
    return true;
  }
  void write(json& out, const R& r) const {
    writeTwin(out, key, twinKey, reinterpret_cast<uintptr_t>(r.*m));
  }
};

// A nested record: read into a fresh record with its own defaults.
template <class R, class Sub>
struct Nested {
  const char* key;
  Sub R::*m;
  bool read(json& obj, R& r, std::string& refusedText) const {
    json* v = member(obj, key);
    if (!v || !v->is_object()) return true;
    Sub fresh{};
    if (!fromJson(*v, fresh, refusedText)) {
      refusedText = std::string(key) + "." + refusedText;
      return false;
    }
    r.*m = fresh;
    return true;
  }
  void write(json& out, const R& r) const { toJson(out[key], r.*m); }
};

// An array: pointer plus count. String elements point into the JSON (a
// non-string element reads as ""); record elements start from their defaults.
// An element with a text holding a NUL leaves pointer and count at null and 0.
template <class R, class Elem>
struct Array {
  using ElemType = std::remove_const_t<Elem>;
  const char* key;
  Elem* R::*ptr;
  size_t R::*count;
  const char* countKey;
  const char* countTwin;

  bool read(json& obj, R& r, std::string& refusedText) const {
    static_assert(std::is_trivially_destructible<ElemType>::value,
                  "array blocks are freed without running destructors");
    static_assert(alignof(ElemType) <= alignof(std::max_align_t), "block alignment");
    r.*ptr = nullptr;
    r.*count = 0;
    json* v = member(obj, key);
    if (!v || !v->is_array() || v->empty()) return true;
    const size_t n = v->size();
    ElemType* block = reinterpret_cast<ElemType*>(arrayBlock(obj, key, n * sizeof(ElemType)));
    // arrayBlock may have added "_quon_data" to obj; v stays valid (node-based map).
    for (size_t i = 0; i < n; ++i) {
      ElemType* e = new (block + i) ElemType();
      if (!readElement((*v)[i], *e, refusedText)) {
        const std::string at = std::string(key) + "[" + std::to_string(i) + "]";
        refusedText = refusedText.empty() ? at : at + "." + refusedText;
        return false;
      }
    }
    r.*ptr = block;
    r.*count = n;
    return true;
  }

  void write(json& out, const R& r) const {
    json& arr = out[key];
    arr = json::array();
    const ElemType* p = r.*ptr;
    const size_t n = r.*count;
    if (p && n) {
      arr.get_ptr<json::array_t*>()->reserve(n);
      for (size_t i = 0; i < n; ++i) {
        arr.emplace_back();
        writeElement(arr.back(), p[i]);
      }
    }
    writeTwin(out, countKey, countTwin, n);
  }

 private:
  // A string element refused for its NUL leaves refusedText empty: its path is
  // the element's own.
  static bool readElement(json& v, const char*& e, std::string&) {
    e = v.is_string() ? textChars(v) : "";
    return e != nullptr;
  }
  template <class Rec>
  static bool readElement(json& v, Rec& e, std::string& refusedText) {
    return !v.is_object() || fromJson(v, e, refusedText);
  }
  static void writeElement(json& v, const char* e) { v = textOf(e); }
  template <class Rec>
  static void writeElement(json& v, const Rec& e) {
    toJson(v, e);
  }
};

// A fixed byte array held inside the record (the encryption salt).
template <class R, size_t N>
struct Bytes {
  const char* key;
  uint8_t (R::*m)[N];
  bool read(json& obj, R& r, std::string&) const {
    json* v = member(obj, key);
    if (!v || !v->is_array() || v->empty()) return true;
    const size_t n = v->size() < N ? v->size() : N;
    for (size_t i = 0; i < n; ++i) {
      const json& e = (*v)[i];
      uint8_t b = 0;
      if (e.is_boolean())
        b = e.get<bool>() ? 1 : 0;
      else if (e.is_number_float())
        b = static_cast<uint8_t>(saturateDouble<int64_t>(e.get<double>()));
      else if (e.is_number())
        b = numberTo<uint8_t>(e);
      (r.*m)[i] = b;
    }
    return true;
  }
  void write(json& out, const R& r) const {
    json arr = json::array();
    for (size_t i = 0; i < N; ++i) arr.push_back(static_cast<uint64_t>((r.*m)[i]));
    out[key] = std::move(arr);
  }
};

// ---- factory functions: the vocabulary of record field lists -------------

template <class R>
constexpr Str<R> str(const char* key, const char* R::*m) {
  return {key, m};
}
template <class R>
constexpr Bool<R> boolean(const char* key, bool R::*m) {
  return {key, m};
}
template <class R, class T>
constexpr Num<R, T> num(const char* key, T R::*m) {
  return {key, m};
}
template <class R, class T>
constexpr Twin<R, T> twin(const char* key, const char* twinKey, T R::*m) {
  return {key, twinKey, m};
}
template <class R, class P>
constexpr Addr<R, P> addr(const char* key, const char* twinKey, P R::*m) {
  return {key, twinKey, m};
}
template <class R, class Sub>
constexpr Nested<R, Sub> nested(const char* key, Sub R::*m) {
  return {key, m};
}
template <class R, class Elem>
constexpr Array<R, Elem> array(const char* key, Elem* R::*ptr, const char* countKey,
                               const char* countTwin, size_t R::*count) {
  return {key, ptr, count, countKey, countTwin};
}
template <class R, size_t N>
constexpr Bytes<R, N> bytes(const char* key, uint8_t (R::*m)[N]) {
  return {key, m};
}

}  // namespace fields

// Reads the fields in order; false, with the path of the refused text, at
// the first text that holds a NUL (the fields after it stay as they were).
template <class Record>
bool fromJson(json& object, Record& record, std::string& refusedText) {
  if (!object.is_object()) return true;
  return std::apply(
      [&](const auto&... field) { return (field.read(object, record, refusedText) && ...); },
      RecordFields<Record>::list());
}

template <class Record>
bool fromJson(json& object, Record& record) {
  std::string refusedText;
  return fromJson(object, record, refusedText);
}

template <class Record>
void toJson(json& value, const Record& record) {
  value = json::object();
  std::apply([&](const auto&... field) { (field.write(value, record), ...); },
             RecordFields<Record>::list());
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
