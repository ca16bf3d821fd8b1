// Serialisation of every JSON text the library produces: compact, keys in
// ascending byte order, non-ASCII as raw UTF-8, ill-formed UTF-8 replaced by
// U+FFFD rather than failing.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace velmo {
namespace quon {
namespace kiv {

inline std::string dumpCompact(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
