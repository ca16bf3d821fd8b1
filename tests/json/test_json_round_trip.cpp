// The records that are both read and written: Metadata, MetadataItem, StateItem.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>

#include "json/json_test_helpers.h"

namespace {

using namespace kivjson;

template <class Record>
std::string readThenWrite(json& object) {
  return dumpCompact(written(readFrom<Record>(object)));
}

struct RoundTripCase {
  const char* name;
  std::function<std::string(json&)> roundTrip;
  const char* input;
  const char* output;  // compared after canonical formatting
};

void PrintTo(const RoundTripCase& row, std::ostream* os) { *os << row.name; }

class ReadThenWrite : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ReadThenWrite, GivesTheCompleteWrittenForm) {
  json object = json::parse(GetParam().input);
  EXPECT_EQ(GetParam().roundTrip(object), canonical(GetParam().output));
}

INSTANTIATE_TEST_SUITE_P(
    Records, ReadThenWrite,
    ::testing::Values(
        RoundTripCase{"StateItem", readThenWrite<sdk::StateItem>,
                      R"({"key":"mood","value":"h\u00e9llo \u2713"})",
                      R"({"key":"mood","value":"h\u00e9llo \u2713"})"},
        RoundTripCase{"StateItemMissingValue", readThenWrite<sdk::StateItem>,
                      R"({"key":"k","value":7})", R"({"key":"k","value":""})"},
        RoundTripCase{"MetadataItemExtremes", readThenWrite<sdk::MetadataItem>,
                      R"({"key":"k","value":"v","authorUserId":"u",
                          "revision":-9223372036854775808,"updateTs":9223372036854775807})",
                      R"({"key":"k","value":"v","authorUserId":"u",
                          "revision":-9223372036854775808,"updateTs":9223372036854775807})"},
        RoundTripCase{"MetadataItemDefaults", readThenWrite<sdk::MetadataItem>, R"({"key":""})",
                      R"({"key":"","value":"","authorUserId":"","revision":-1,"updateTs":0})"},
        RoundTripCase{"Metadata", readThenWrite<sdk::Metadata>,
                      R"({"majorRevision":12,"itemCount":7,"items":[
                            {"key":"a","value":"1","authorUserId":"u","revision":3,
                             "updateTs":1700000000000},
                            {"key":"b"},
                            "not an item"]})",
                      R"({"majorRevision":12,"itemCount":3,"itemCount_str":"3","items":[
                            {"key":"a","value":"1","authorUserId":"u","revision":3,
                             "updateTs":1700000000000},
                            {"key":"b","value":"","authorUserId":"","revision":-1,"updateTs":0},
                            {"key":"","value":"","authorUserId":"","revision":-1,
                             "updateTs":0}]})"},
        RoundTripCase{"MetadataEmptyItems", readThenWrite<sdk::Metadata>,
                      R"({"majorRevision":-1,"items":[]})",
                      R"({"majorRevision":-1,"items":[],"itemCount":0,"itemCount_str":"0"})"}),
    [](const auto& info) { return std::string(info.param.name); });

// Writing a record and reading the result back gives the same record.
TEST(WriteThenRead, MetadataSurvivesBothDirections) {
  const sdk::MetadataItem items[] = {{"k1", "v1", "author", std::numeric_limits<int64_t>::min(), 5},
                                     {"k2", "", "", 0, std::numeric_limits<int64_t>::max()}};
  const sdk::Metadata original{-42, items, 2};
  json value = written(original);
  const std::string firstText = dumpCompact(value);

  const sdk::Metadata back = readFrom<sdk::Metadata>(value);
  EXPECT_EQ(back.majorRevision, -42);
  ASSERT_EQ(back.itemCount, 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_STREQ(back.items[i].key, items[i].key) << i;
    EXPECT_STREQ(back.items[i].value, items[i].value) << i;
    EXPECT_STREQ(back.items[i].authorUserId, items[i].authorUserId) << i;
    EXPECT_EQ(back.items[i].revision, items[i].revision) << i;
    EXPECT_EQ(back.items[i].updateTs, items[i].updateTs) << i;
  }
  EXPECT_EQ(dumpCompact(written(back)), firstText);
}

TEST(WriteThenRead, StateItemSurvivesBothDirections) {
  const sdk::StateItem original{"key \"quoted\"", "line\nbreak"};
  json value = written(original);
  const sdk::StateItem back = readFrom<sdk::StateItem>(value);
  EXPECT_STREQ(back.key, original.key);
  EXPECT_STREQ(back.value, original.value);
}

}  // namespace
