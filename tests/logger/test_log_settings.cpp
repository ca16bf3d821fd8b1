// The four setters and their rules, the level map, the debug mode and the
// log-filter rule of "KivClient_setParameters_3a2037f".
#include <fmt/format.h>

#include <ostream>
#include <string>

#include "common/includes/quon_log.h"
#include "logger_test_fixture.h"

namespace {

// Counts how often the logger formats it.
struct CountedArgument {
  int* formats;
};

}  // namespace

template <>
struct fmt::formatter<CountedArgument> : fmt::formatter<int> {
  template <class Context>
  auto format(const CountedArgument& argument, Context& context) const {
    ++*argument.formats;
    return fmt::formatter<int>::format(*argument.formats, context);
  }
};

namespace velmo {
namespace quon {
namespace kiv {
namespace testing {
namespace {

struct LevelCase {
  int given;
  int expected;
};

void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.given << " -> " << c.expected; }

class LoggerSdkLevelMap : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LoggerSdkLevelMap, MapsOntoTheLibraryScale) {
  EXPECT_EQ(mapSdkLogLevel(GetParam().given), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(SdkLevels, LoggerSdkLevelMap,
                         ::testing::Values(LevelCase{0, 6}, LevelCase{1, 2}, LevelCase{2, 3},
                                           LevelCase{4, 4}, LevelCase{8, 5}, LevelCase{3, 2},
                                           LevelCase{16, 2}, LevelCase{-1, 2}));

class LoggerSetLogLevel : public LoggerTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LoggerSetLogLevel, NormalisesAndRebuildsOnlyOnChange) {
  logger().setLogLevel(GetParam().given);
  EXPECT_EQ(logger().level(), GetParam().expected);
  // A rebuild replaces the current logger; the same result again must not.
  const std::shared_ptr<spdlog::logger> built = QuonLogger::current();
  logger().setLogLevel(GetParam().given);
  EXPECT_EQ(QuonLogger::current(), built);
  const int other = GetParam().expected == 2 ? 3 : 2;
  logger().setLogLevel(other);
  EXPECT_NE(QuonLogger::current(), built);
}

INSTANTIATE_TEST_SUITE_P(Levels, LoggerSetLogLevel,
                         ::testing::Values(LevelCase{0, 2}, LevelCase{7, 2}, LevelCase{-3, 2},
                                           LevelCase{1, 1}, LevelCase{3, 3}, LevelCase{5, 5},
                                           LevelCase{6, 6}));

using LoggerLevels = LoggerTest;

TEST_F(LoggerLevels, SdkWarningLevelDropsInfoLinesIncludingTheVersionLine) {
  logger().setLogLevel(mapSdkLogLevel(2));
  logger().rebuild();
  QUON_LOG_INFO("info probe");
  QUON_LOG_WARN("warn probe");
  const std::vector<std::string> text = lines();
  EXPECT_EQ(linesWithMessage(text, "reset logger to " + path_).size(), 1u);  // before the change
  EXPECT_EQ(linesWithMessage(text, "info probe").size(), 0u);
  EXPECT_EQ(linesWithMessage(text, "warn probe").size(), 1u);
}

TEST_F(LoggerLevels, DroppedLinesAreNeverFormatted) {
  logger().setLogLevel(3);
  int formats = 0;
  QUON_LOG_INFO("dropped {}", CountedArgument{&formats});
  QUON_LOG_DEBUG("dropped {}", CountedArgument{&formats});
  EXPECT_EQ(formats, 0);
  QUON_LOG_ERROR("kept {}", CountedArgument{&formats});
  EXPECT_EQ(formats, 1);
  EXPECT_EQ(count("kept 1"), 1u);
}

TEST_F(LoggerLevels, OffWritesNothingEvenInDebugMode) {
  logger().setLogLevel(6);
  const size_t before = lines().size();
  logger().setDebugMode(true);
  QUON_LOG_ERROR("error while off");
  QUON_LOG_DEBUG("debug while off");
  EXPECT_EQ(lines().size(), before);
}

using LoggerDebugMode = LoggerTest;

TEST_F(LoggerDebugMode, SwitchingLogsOnceAtTheLoggersOwnLocation) {
  logger().setDebugMode(true);
  logger().setDebugMode(true);
  QUON_LOG_DEBUG("debug probe on");
  logger().setDebugMode(false);
  logger().setDebugMode(false);
  QUON_LOG_DEBUG("debug probe off");

  const std::vector<std::string> text = lines();
  const std::vector<LogLine> enabled = linesWithMessage(text, "set logger debug mode enabled");
  const std::vector<LogLine> disabled = linesWithMessage(text, "set logger debug mode disabled");
  ASSERT_EQ(enabled.size(), 1u);
  ASSERT_EQ(disabled.size(), 1u);
  EXPECT_EQ(enabled[0].level, "D");
  EXPECT_EQ(disabled[0].level, "I");
  EXPECT_EQ(enabled[0].file, "quon_logger.cpp");
  EXPECT_EQ(disabled[0].file, "quon_logger.cpp");
  EXPECT_EQ(linesWithMessage(text, "debug probe on").size(), 1u);
  EXPECT_EQ(linesWithMessage(text, "debug probe off").size(), 0u);
}

TEST_F(LoggerDebugMode, OverridesAStricterLevel) {
  logger().setLogLevel(4);
  logger().setDebugMode(true);
  QUON_LOG_DEBUG("debug under error level");
  EXPECT_EQ(count("debug under error level"), 1u);
  EXPECT_EQ(logger().level(), 4);
}

struct FilterCase {
  bool debugBefore;
  const char* parameters;
  bool debugAfter;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
  *os << (c.parameters ? c.parameters : "(null)") << (c.debugBefore ? " from on" : " from off");
}

class LoggerLogFilter : public LoggerTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(LoggerLogFilter, SwitchesDebugModeOnlyForANumericFilter) {
  logger().setDebugMode(GetParam().debugBefore);
  applyLogFilter(GetParam().parameters);
  EXPECT_EQ(logger().debugMode(), GetParam().debugAfter)
      << (GetParam().parameters ? GetParam().parameters : "(null)");
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, LoggerLogFilter,
    ::testing::Values(FilterCase{false, R"({"kiv.log_filter":2063})", true},  // 0x80f
                      FilterCase{false, R"({"kiv.log_filter":4095})", true},
                      FilterCase{false, R"({"kiv.log_filter":-1})", true},
                      FilterCase{false, R"({"kiv.log_filter":2063.5})", true},
                      FilterCase{true, R"({"kiv.log_filter":2062})", false},
                      FilterCase{true, R"({"kiv.log_filter":15})", false},
                      FilterCase{true, R"({"kiv.log_filter":0, "other":1})", false},
                      FilterCase{true, R"({"kiv.log_filter":"2063"})", true},
                      FilterCase{false, R"({"kiv.log_filter":"2063"})", false},
                      FilterCase{true, R"({"kiv.log_filter":2063)", true},
                      FilterCase{true, R"(["kiv.log_filter", 0])", true},
                      FilterCase{true, R"({"other":{"kiv.log_filter":0}})", true},
                      FilterCase{true, R"({"kiv.audio_level":0})", true},
                      FilterCase{true, nullptr, true}));

}  // namespace
}  // namespace testing
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
