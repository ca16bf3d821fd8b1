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
// kind ends the call with -2 before the SDK is called.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <tuple>
#include <utility>

#include "src/kiv/src/api_module_base.h"
#include "src/kiv/src/json/json_numbers.h"
#include "src/kiv/src/json/kiv_record_fields.h"

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
  bool read(json& p, type& out) const {
    json* v = find(p, key);
    if (!v || !v->is_string()) return false;
    out = v->get_ptr<const json::string_t*>()->c_str();
    return true;
  }
};

// Any JSON number converted to T (low bits of integers, floats truncated
// toward zero and saturated).
template <class T>
struct Number {
  const char* key;
  using type = T;
  bool read(json& p, type& out) const {
    json* v = find(p, key);
    if (!v || !v->is_number()) return false;
    out = numberTo<T>(*v);
    return true;
  }
};

using Int = Number<int>;        // "channelType" and other signed 32-bit values
using U32 = Number<uint32_t>;  // "ttl", "count"

// A payload length: an unsigned 32-bit number widened to the SDK's size type.
struct Length {
  const char* key;
  using type = size_t;
  bool read(json& p, type& out) const {
    uint32_t v = 0;
    if (!U32{key}.read(p, v)) return false;
    out = v;
    return true;
  }
};

// A payload address carried as a number of pointer width.
struct Address {
  const char* key;
  using type = const char*;
  bool read(json& p, type& out) const {
    uintptr_t v = 0;
    if (!Number<uintptr_t>{key}.read(p, v)) return false;
    out = reinterpret_cast<const char*>(v);
    return true;
  }
};

// JSON true or false only.
struct Bool {
  const char* key;
  using type = bool;
  bool read(json& p, type& out) const {
    json* v = find(p, key);
    if (!v || !v->is_boolean()) return false;
    out = v->get<bool>();
    return true;
  }
};

// A JSON object read into a record that starts from the record's defaults.
template <class Record>
struct Obj {
  const char* key;
  using type = Record;
  bool read(json& p, type& out) const {
    json* v = find(p, key);
    if (!v || !v->is_object()) return false;
    out = Record{};
    fromJson(*v, out);
    return true;
  }
};

// A JSON array, handed to the operation as it is.
struct Arr {
  const char* key;
  using type = json*;
  bool read(json& p, type& out) const {
    json* v = find(p, key);
    if (!v || !v->is_array()) return false;
    out = v;
    return true;
  }
};

// Reads every key in order into values; false at the first failure.
template <class... A, size_t... I>
bool readAllImpl(json& params, std::tuple<typename A::type...>& values,
                 std::index_sequence<I...>, const A&... kinds) {
  return (kinds.read(params, std::get<I>(values)) && ...);
}

template <class... A>
bool readAll(json& params, std::tuple<typename A::type...>& values, const A&... kinds) {
  return readAllImpl(params, values, std::index_sequence_for<A...>{}, kinds...);
}

}  // namespace args

// One table-driven operation on SDK interface Iface.
template <class Iface>
using ModuleOp = std::function<int(Iface& sdk, json& params, json& result)>;

template <class Iface>
struct ApiRow {
  const char* apiName;
  ModuleOp<Iface> op;
};

// Writes the answer of an asynchronous request.
inline void writeRequestAccepted(json& result, uint64_t requestId) {
  result["result"] = 0;
  result["requestId"] = requestId;
}

// An asynchronous SDK operation: its last argument is the out request id; the
// answer is {"requestId":N,"result":0} whatever the SDK returned.
template <class Iface, class Ret, class... P, class... A>
ModuleOp<Iface> async(Ret (Iface::*fn)(P...), A... kinds) {
  static_assert(sizeof...(P) == sizeof...(A) + 1, "keys plus the request id");
  return [fn, kinds...](Iface& sdk, json& params, json& result) -> int {
    std::tuple<typename A::type...> values;
    if (!args::readAll(params, values, kinds...)) return kCodeBadParams;
    uint64_t requestId = 0;
    std::apply([&](auto&... v) { (sdk.*fn)(v..., requestId); }, values);
    writeRequestAccepted(result, requestId);
    return kCodeOk;
  };
}

// A synchronous SDK operation whose value becomes "result".
template <class Iface, class Ret, class... P, class... A>
ModuleOp<Iface> sync(Ret (Iface::*fn)(P...), A... kinds) {
  static_assert(sizeof...(P) == sizeof...(A), "one key per argument");
  return [fn, kinds...](Iface& sdk, json& params, json& result) -> int {
    std::tuple<typename A::type...> values;
    if (!args::readAll(params, values, kinds...)) return kCodeBadParams;
    Ret value = std::apply([&](auto&... v) { return (sdk.*fn)(v...); }, values);
    if constexpr (std::is_pointer<Ret>::value)
      result["result"] = value ? value : "";
    else
      result["result"] = value;
    return kCodeOk;
  };
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
