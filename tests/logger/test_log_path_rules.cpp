// Where the log file goes for a directory text, with either separator. Only
// a dot in the last part of the text makes that part a file name.
#include <gtest/gtest.h>

#include <ostream>

#include "common/utils/log_path_rules.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace {

struct PathCase {
  const char* given;
  char separator;
  const char* expected;
};

void PrintTo(const PathCase& c, std::ostream* os) {
  *os << '"' << c.given << "\" with '" << c.separator << "'";
}

class LoggerPathRules : public ::testing::TestWithParam<PathCase> {};

TEST_P(LoggerPathRules, GivenDirectoryGivesTheLogFile) {
  EXPECT_EQ(logFilePathForGivenDirectory(GetParam().given, GetParam().separator),
            GetParam().expected)
      << GetParam().given;
}

INSTANTIATE_TEST_SUITE_P(
    WindowsSeparator, LoggerPathRules,
    ::testing::Values(PathCase{R"(C:\logs)", '\\', R"(C:\logs\velmo-quon-kiv.log)"},
                      PathCase{R"(C:\logs\)", '\\', R"(C:\logs\velmo-quon-kiv.log)"},
                      PathCase{R"(C:\logs\app.log)", '\\', R"(C:\logs\velmo-quon-kiv.log)"},
                      PathCase{"D:/x/y.txt", '\\', R"(D:/x\velmo-quon-kiv.log)"},
                      PathCase{R"(C:\my.logs\today)", '\\',
                               R"(C:\my.logs\today\velmo-quon-kiv.log)"},
                      PathCase{R"(C:\Users\jane.doe\AppData\Local\MyApp\logs)", '\\',
                               R"(C:\Users\jane.doe\AppData\Local\MyApp\logs\velmo-quon-kiv.log)"},
                      PathCase{R"(C:\Users\jane.doe\logs\app.log)", '\\',
                               R"(C:\Users\jane.doe\logs\velmo-quon-kiv.log)"},
                      PathCase{R"(..\logs)", '\\', R"(..\logs\velmo-quon-kiv.log)"},
                      PathCase{"D:/x/", '\\', "D:/x/velmo-quon-kiv.log"},
                      PathCase{R"(C:\a/b.c\d)", '\\', R"(C:\a/b.c\d\velmo-quon-kiv.log)"},
                      PathCase{R"(C:\a/b\c.log)", '\\', R"(C:\a/b\velmo-quon-kiv.log)"},
                      PathCase{".hidden", '\\', R"(.hidden\velmo-quon-kiv.log)"},
                      PathCase{"app.log", '\\', R"(app.log\velmo-quon-kiv.log)"},
                      PathCase{R"(\app.log)", '\\', R"(\velmo-quon-kiv.log)"},
                      PathCase{"", '\\', ""}));

INSTANTIATE_TEST_SUITE_P(
    SlashSeparator, LoggerPathRules,
    ::testing::Values(
        PathCase{"/var/log/velmo", '/', "/var/log/velmo/velmo-quon-kiv.log"},
        PathCase{"/var/log/velmo/", '/', "/var/log/velmo/velmo-quon-kiv.log"},
        PathCase{"/var/log/app.log", '/', "/var/log/velmo-quon-kiv.log"},
        PathCase{"/home/jo/.cache/x", '/', "/home/jo/.cache/x/velmo-quon-kiv.log"},
        PathCase{"/home/jane.doe/logs", '/', "/home/jane.doe/logs/velmo-quon-kiv.log"},
        PathCase{"/home/jane.doe/logs/today.txt", '/', "/home/jane.doe/logs/velmo-quon-kiv.log"},
        PathCase{"../logs", '/', "../logs/velmo-quon-kiv.log"},
        PathCase{"/app.log", '/', "/velmo-quon-kiv.log"}, PathCase{"", '/', ""}));

TEST(LoggerPathRulesDefault, DefaultDirectoryKeepsFoldersWithDots) {
  EXPECT_EQ(logFilePathInDirectory(R"(C:\Users\jane.doe\AppData\Local\Velmo\app)", '\\'),
            R"(C:\Users\jane.doe\AppData\Local\Velmo\app\velmo-quon-kiv.log)");
  EXPECT_EQ(logFilePathInDirectory("/home/jo/.local/state/Velmo/app", '/'),
            "/home/jo/.local/state/Velmo/app/velmo-quon-kiv.log");
  EXPECT_EQ(logFilePathInDirectory("", '/'), "");
}

TEST(LoggerPathRulesDefault, JoinAddsASeparatorOnlyWhenMissing) {
  EXPECT_EQ(joinPathPart(R"(C:\Velmo)", "app", '\\'), R"(C:\Velmo\app)");
  EXPECT_EQ(joinPathPart(R"(C:\Velmo\)", "app", '\\'), R"(C:\Velmo\app)");
  EXPECT_EQ(joinPathPart("C:/Velmo/", "app", '\\'), "C:/Velmo/app");
  EXPECT_EQ(joinPathPart(R"(C:\Velmo)", "", '\\'), R"(C:\Velmo)");
}

TEST(LoggerPathRulesDefault, ExecutableBaseNameDropsFolderAndExtension) {
  EXPECT_EQ(executableBaseName(R"(C:\Program Files\Host\app.exe)"), "app");
  EXPECT_EQ(executableBaseName(R"(C:\tools.d\host)"), "host");
  EXPECT_EQ(executableBaseName(R"(C:\x\my.host.exe)"), "my.host");
  EXPECT_EQ(executableBaseName("/usr/bin/test_logger"), "test_logger");
  EXPECT_EQ(executableBaseName("app.exe"), "");
}

}  // namespace
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
