// The request pattern shared by every table-driven operation: check and read
// the argument keys in table order, call the SDK, write the result.
//
// A module's table row names its keys with the argument kinds below and the
// SDK operation they feed, in the SDK's argument order:
//
//   {"KivLock_setLock_89e5672",
//    async(&IKivLock::setLock, Str{"channelName"}, Int{"channelType"},
//          Str{"lockName"}, U32{"ttl"})}
//
// Every key is required: the first one that is missing or of another JSON
// kind, or a text in it that holds a NUL character, ends the call with -2
// before the SDK is called. Each kind also describes its key, so a row's
// description comes from the keys it reads.
//
// A kind's read() returns false for a key it cannot take; refusedText is then
// empty for a key missing or of another kind, or names the text that holds a
// NUL ("data.items[0].key").
#pragma once

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "src/kiv/src/api_module_base.h"
#include "src/kiv/src/json/json_numbers.h"
#include "src/kiv/src/json/kiv_record_fields.h"
#include "src/kiv/src/param_diagnostics.h"

namespace velmo {
namespace quon {
namespace kiv {

namespace args {

inline json* find(json& params, const char* key) {
  if (!params.is_object()) return nullptr;
  auto it = params.find(key);
  return it == params.end() ? nullptr : &*it;
}

// A JSON string, used in place (valid for the call).
struct Str {
  const char* key;
  using type = const char*;
  bool read(json& p, type& out, std::string& refusedText) const {
    json* v = find(p, key);
    if (!v || !v->is_string()) return false;
    out = fields::textChars(*v);
    if (!out) refusedText = key;
    return out != nullptr;
  }
  KeyDescription describe() const { return {key, "string"}; }
};

// Any JSON number converted to T (low bits of integers, floats truncated
// toward zero and saturated).
template <class T>
struct Number {
  const char* key;
  using type = T;
  bool read(json& p, type& out, std::string&) const {
    json* v = find(p, key);
    if (!v || !v->is_number()) return false;
    out = numberTo<T>(*v);
    return true;
  }
  KeyDescription describe() const {
    static_assert(sizeof(T) <= 4, "wider numbers are described by their own kind");
    return {key, std::is_signed<T>::value ? "integer" : "unsigned"};
  }
};

using Int = Number<int>;       // "channelType" and other signed 32-bit values
using U32 = Number<uint32_t>;  // "ttl", "count"

// A payload length: an unsigned 32-bit number widened to the SDK's size type.
struct Length {
  const char* key;
  using type = size_t;
  bool read(json& p, type& out, std::string& refusedText) const {
    uint32_t v = 0;
    if (!U32{key}.read(p, v, refusedText)) return false;
    out = v;
    return true;
  }
  KeyDescription describe() const { return {key, "length"}; }
};

// A payload address carried as a number of pointer width.
struct Address {
  const char* key;
  using type = const char*;
  bool read(json& p, type& out, std::string& refusedText) const {
    uintptr_t v = 0;
    if (!Number<uintptr_t>{key}.read(p, v, refusedText)) return false;
    out = reinterpret_cast<const char*>(v);
    return true;
  }
  // The engine sets it to the call's buffer.
  KeyDescription describe() const { return {key, "address", "", "", "payload"}; }
};

// JSON true or false only.
struct Bool {
  const char* key;
  using type = bool;
  bool read(json& p, type& out, std::string&) const {
    json* v = find(p, key);
    if (!v || !v->is_boolean()) return false;
    out = v->get<bool>();
    return true;
  }
  KeyDescription describe() const { return {key, "boolean"}; }
};

// A JSON object read into a record that starts from the record's defaults.
template <class Record>
struct Obj {
  const char* key;
  using type = Record;
  bool read(json& p, type& out, std::string& refusedText) const {
    json* v = find(p, key);
    if (!v || !v->is_object()) return false;
    out = Record{};
    if (fromJson(*v, out, refusedText)) return true;
    refusedText = std::string(key) + "." + refusedText;
    return false;
  }
  KeyDescription describe() const { return {key, "object", RecordFields<Record>::name}; }
};

// A JSON array, handed to the operation as it is.
struct Arr {
  const char* key;
  using type = json*;
  bool read(json& p, type& out, std::string&) const {
    json* v = find(p, key);
    if (!v || !v->is_array()) return false;
    out = v;
    return true;
  }
  KeyDescription describe() const { return {key, "array"}; }
  // An array of elements of kind "string", or of "object" with their record.
  KeyDescription describe(const char* items, const char* record = "") const {
    return {key, "array", record, items};
  }
};

// Reads one key; a failure is logged with the key and the kind wanted, or
// with the text that holds a NUL.
template <class Kind>
bool readReported(const Kind& kind, json& params, typename Kind::type& out) {
  std::string refusedText;
  if (kind.read(params, out, refusedText)) return true;
  if (refusedText.empty())
    reportBadKey(params, kind.describe());
  else
    reportNulInText(refusedText);
  return false;
}

// Reads every key in order into values; false at the first failure.
template <class... A, size_t... I>
bool readAllImpl(json& params, std::tuple<typename A::type...>& values, std::index_sequence<I...>,
                 const A&... kinds) {
  return (readReported(kinds, params, std::get<I>(values)) && ...);
}

template <class... A>
bool readAll(json& params, std::tuple<typename A::type...>& values, const A&... kinds) {
  return readAllImpl(params, values, std::index_sequence_for<A...>{}, kinds...);
}

}  // namespace args

// One table-driven operation on SDK interface Iface.
template <class Iface>
using ModuleOp = std::function<int(Iface& sdk, json& params, json& result)>;

// An operation with the description of the keys it reads.
template <class Iface>
struct DescribedOp {
  ModuleOp<Iface> op;
  ApiDescription description;
};

// A row: from async()/sync(), or a hand-written operation with its description.
template <class Iface>
struct ApiRow {
  ApiRow(const char* name, DescribedOp<Iface> described)
      : apiName(name), op(std::move(described.op)), description(std::move(described.description)) {}
  ApiRow(const char* name, ModuleOp<Iface> operation, ApiDescription describedAs)
      : apiName(name), op(std::move(operation)), description(std::move(describedAs)) {}

  const char* apiName;
  ModuleOp<Iface> op;
  ApiDescription description;
};

// Descriptions of the three shapes of answer. A key filled from the payload
// makes the call's buffer the payload.
inline ApiDescription describeCall(const char* mode, std::vector<KeyDescription> keys,
                                   std::vector<ResultKey> result, int code = kCodeOk) {
  ApiDescription d{mode, std::move(keys), "", std::move(result), code};
  for (const KeyDescription& k : d.keys) {
    if (k.filledBy == "payload") d.buffer = "payload";
  }
  return d;
}
inline ApiDescription asyncCall(std::vector<KeyDescription> keys) {
  return describeCall("async", std::move(keys),
                      {{"result", "integer"}, {"requestId", "unsigned64"}});
}
inline ApiDescription syncCall(std::vector<KeyDescription> keys,
                               const char* resultKind = "integer") {
  return describeCall("sync", std::move(keys), {{"result", resultKind}});
}
// Answered by the library itself, without the SDK.
inline ApiDescription localCall(std::vector<KeyDescription> keys,
                                std::vector<ResultKey> result = {{"result", "integer"}},
                                int code = kCodeOk) {
  return describeCall("local", std::move(keys), std::move(result), code);
}

// Writes the answer of an asynchronous request.
inline void writeRequestAccepted(json& result, uint64_t requestId) {
  result["result"] = 0;
  result["requestId"] = requestId;
}

// An asynchronous SDK operation: its last argument is the out request id; the
// answer is {"requestId":N,"result":0} whatever the SDK returned.
template <class Iface, class Ret, class... P, class... A>
DescribedOp<Iface> async(Ret (Iface::*fn)(P...), A... kinds) {
  static_assert(sizeof...(P) == sizeof...(A) + 1, "keys plus the request id");
  ModuleOp<Iface> op = [fn, kinds...](Iface& sdk, json& params, json& result) -> int {
    std::tuple<typename A::type...> values;
    if (!args::readAll(params, values, kinds...)) return kCodeBadParams;
    uint64_t requestId = 0;
    std::apply([&](auto&... v) { (sdk.*fn)(v..., requestId); }, values);
    writeRequestAccepted(result, requestId);
    return kCodeOk;
  };
  return {std::move(op), asyncCall({kinds.describe()...})};
}

// A synchronous SDK operation whose value becomes "result".
template <class Iface, class Ret, class... P, class... A>
DescribedOp<Iface> sync(Ret (Iface::*fn)(P...), A... kinds) {
  static_assert(sizeof...(P) == sizeof...(A), "one key per argument");
  ModuleOp<Iface> op = [fn, kinds...](Iface& sdk, json& params, json& result) -> int {
    std::tuple<typename A::type...> values;
    if (!args::readAll(params, values, kinds...)) return kCodeBadParams;
    Ret value = std::apply([&](auto&... v) { return (sdk.*fn)(v...); }, values);
    if constexpr (std::is_pointer<Ret>::value)
      result["result"] = value ? value : "";
    else
      result["result"] = value;
    return kCodeOk;
  };
  static_assert(std::is_same<Ret, int>::value || std::is_same<Ret, const char*>::value,
                "results are described as integer or string");
  return {std::move(op),
          syncCall({kinds.describe()...}, std::is_pointer<Ret>::value ? "string" : "integer")};
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
