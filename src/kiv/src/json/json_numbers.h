// Number conversions shared by the record readers and the argument checks.
// JSON numbers arrive as signed, unsigned or floating point; fields are
// narrower. Integers keep their low bits; floating-point values are truncated
// toward zero and saturate to the field's range (NaN gives 0), so no
// conversion is ever undefined.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <type_traits>

namespace velmo {
namespace quon {
namespace kiv {

using json = nlohmann::json;

template <class Int>
Int saturateDouble(double d) {
  static_assert(std::is_integral<Int>::value, "integral target");
  if (std::isnan(d)) return 0;
  d = std::trunc(d);
  // Compare against the bounds in long double so the limits convert exactly.
  const long double lo = static_cast<long double>(std::numeric_limits<Int>::min());
  const long double hi = static_cast<long double>(std::numeric_limits<Int>::max());
  const long double v = static_cast<long double>(d);
  if (v <= lo) return std::numeric_limits<Int>::min();
  if (v >= hi) return std::numeric_limits<Int>::max();
  return static_cast<Int>(d);
}

// Converts a JSON number (the caller has checked is_number()) to Int.
template <class Int>
Int numberTo(const json& v) {
  if (v.is_number_float()) return saturateDouble<Int>(v.get<double>());
  if (v.is_number_unsigned()) return static_cast<Int>(v.get<uint64_t>());
  return static_cast<Int>(static_cast<uint64_t>(v.get<int64_t>()));  // low bits, no UB
}

// Reads an unsigned decimal text: leading white space skipped, an optional
// sign, digits up to the first non-digit. Fails when there is no digit or the
// value does not fit in 64 bits.
inline bool parseDecimalU64(const std::string& text, uint64_t& out) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t value = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    const uint64_t d = static_cast<uint64_t>(text[i] - '0');
    if (value > (std::numeric_limits<uint64_t>::max() - d) / 10) return false;
    value = value * 10 + d;
  }
  if (digits == 0) return false;
  out = negative ? (0 - value) : value;  // as strtoull does for a minus sign
  return true;
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
