// Number conversions: floating-point values saturate (NaN gives 0), integers
// keep their low bits, decimal text parses like strtoull but rejects text
// without digits or above 2^64-1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "src/kiv/src/json/json_numbers.h"

namespace {

using velmo::quon::kiv::json;
using velmo::quon::kiv::numberTo;
using velmo::quon::kiv::parseDecimalU64;
using velmo::quon::kiv::saturateDouble;

constexpr uint64_t kU64Max = std::numeric_limits<uint64_t>::max();
constexpr int64_t kI64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kI64Min = std::numeric_limits<int64_t>::min();
constexpr int32_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t kI32Min = std::numeric_limits<int32_t>::min();

struct DoubleCase {
  const char* name;
  double in;
  int32_t i32;
  uint16_t u16;
  uint32_t u32;
  int64_t i64;
  uint64_t u64;
  uint8_t u8;
};

void PrintTo(const DoubleCase& row, std::ostream* os) { *os << row.name; }

class SaturateDouble : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(SaturateDouble, TruncatesTowardZeroAndClampsToTheFieldRange) {
  const DoubleCase& c = GetParam();
  EXPECT_EQ(saturateDouble<int32_t>(c.in), c.i32);
  EXPECT_EQ(saturateDouble<uint16_t>(c.in), c.u16);
  EXPECT_EQ(saturateDouble<uint32_t>(c.in), c.u32);
  EXPECT_EQ(saturateDouble<int64_t>(c.in), c.i64);
  EXPECT_EQ(saturateDouble<uint64_t>(c.in), c.u64);
  EXPECT_EQ(saturateDouble<uint8_t>(c.in), c.u8);
  // Read from a JSON floating-point number the same way.
  EXPECT_EQ(numberTo<uint32_t>(json(c.in)), c.u32);
  EXPECT_EQ(numberTo<int32_t>(json(c.in)), c.i32);
}

const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, SaturateDouble,
    ::testing::Values(DoubleCase{"Fraction", 1.9, 1, 1, 1, 1, 1, 1},
                      DoubleCase{"NegativeFraction", -1.9, -1, 0, 0, -1, 0, 0},
                      DoubleCase{"MinusHalf", -0.5, 0, 0, 0, 0, 0, 0},
                      DoubleCase{"NaN", std::nan(""), 0, 0, 0, 0, 0, 0},
                      DoubleCase{"Above32Bits", 4294967296.0, kI32Max, 65535, 4294967295u,
                                 4294967296LL, 4294967296ULL, 255},
                      DoubleCase{"TwoToThe63", 9223372036854775808.0, kI32Max, 65535, 4294967295u,
                                 kI64Max, 9223372036854775808ULL, 255},
                      DoubleCase{"TwoToThe64", 18446744073709551616.0, kI32Max, 65535, 4294967295u,
                                 kI64Max, kU64Max, 255},
                      DoubleCase{"Huge", 1e300, kI32Max, 65535, 4294967295u, kI64Max, kU64Max, 255},
                      DoubleCase{"HugeNegative", -1e300, kI32Min, 0, 0, kI64Min, 0, 0},
                      DoubleCase{"Infinity", kInf, kI32Max, 65535, 4294967295u, kI64Max, kU64Max,
                                 255},
                      DoubleCase{"MinusInfinity", -kInf, kI32Min, 0, 0, kI64Min, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumberTo, IntegersKeepTheirLowBits) {
  EXPECT_EQ(numberTo<uint16_t>(json(70000)), 4464);
  EXPECT_EQ(numberTo<uint16_t>(json(65537)), 1);
  EXPECT_EQ(numberTo<uint16_t>(json(-1)), 65535);
  EXPECT_EQ(numberTo<uint32_t>(json(-1)), 4294967295u);
  EXPECT_EQ(numberTo<uint32_t>(json(4294967301ULL)), 5u);
  EXPECT_EQ(numberTo<int32_t>(json(4294967295ULL)), -1);
  EXPECT_EQ(numberTo<int32_t>(json(-7)), -7);
  EXPECT_EQ(numberTo<int64_t>(json(kI64Min)), kI64Min);
  EXPECT_EQ(numberTo<uint64_t>(json(kU64Max)), kU64Max);
  EXPECT_EQ(numberTo<uint8_t>(json(256)), 0);
}

struct TextCase {
  const char* name;
  const char* text;
  bool ok;
  uint64_t value;
};

void PrintTo(const TextCase& row, std::ostream* os) { *os << row.name; }

class DecimalText : public ::testing::TestWithParam<TextCase> {};

TEST_P(DecimalText, ParsesLeadingDigitsOrFails) {
  const TextCase& c = GetParam();
  uint64_t out = 99;
  EXPECT_EQ(parseDecimalU64(c.text, out), c.ok);
  EXPECT_EQ(out, c.ok ? c.value : 99u) << "a failed parse leaves the output alone";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecimalText,
    ::testing::Values(TextCase{"Plain", "123", true, 123}, TextCase{"Zero", "0", true, 0},
                      TextCase{"LeadingSpace", " \t\n\v\f\r42", true, 42},
                      TextCase{"PlusSign", "+7", true, 7},
                      TextCase{"MinusSignWrapsLikeStrtoull", "-1", true, kU64Max},
                      TextCase{"TrailingText", "12abc", true, 12},
                      TextCase{"LeadingZeros", "000000000000000000000000000042", true, 42},
                      TextCase{"Largest", "18446744073709551615", true, kU64Max},
                      TextCase{"OneAboveLargest", "18446744073709551616", false, 0},
                      TextCase{"TwentyNines", "99999999999999999999", false, 0},
                      TextCase{"Empty", "", false, 0}, TextCase{"Letters", "abc", false, 0},
                      TextCase{"SignOnly", "-", false, 0}, TextCase{"SpaceOnly", "  ", false, 0},
                      TextCase{"SpaceAfterSign", "+ 5", false, 0},
                      TextCase{"DecimalPointFirst", ".5", false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
