// Reading the library log back in tests: fresh folders, whole files, and one
// line split into the fields of the line pattern.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velmo {
namespace quon {
namespace kiv {
namespace testing {

struct LogLine {
  std::string time;
  std::string thread;
  std::string level;
  std::string file;
  int line = 0;
  std::string message;
};

// "[%Y-%m-%d %H:%M:%S.%e][%t][%L][%s:%#] %v" back into its fields.
std::optional<LogLine> parseLogLine(const std::string& line);

// An empty folder for one test under $XDG_STATE_HOME (the build tree under
// ctest) on Linux, else the system's temporary folder.
std::string freshDirectory(const std::string& name);

// Flushes the current logger, then reads the file as lines without their
// "\r\n". Every line must end in "\r\n": a bare "\n" fails the test.
std::vector<std::string> readLogLines(const std::string& path);

// Lines whose message is exactly `message`.
std::vector<LogLine> linesWithMessage(const std::vector<std::string>& lines,
                                      const std::string& message);

}  // namespace testing
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
