#include "log_file_reader.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "common/utils/quon_logger.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace testing {

std::optional<LogLine> parseLogLine(const std::string& line) {
  // Lines in tests are short, so std::regex is fine here.
  static const std::regex pattern(
      R"(^\[(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3})\]\[(\d+)\]\[([TDIWECO])\]\[([^\]:/]+):(\d+)\] (.*)$)");
  std::smatch m;
  if (!std::regex_match(line, m, pattern)) return std::nullopt;
  return LogLine{m[1], m[2], m[3], m[4], std::stoi(m[5]), m[6]};
}

std::string freshDirectory(const std::string& name) {
  namespace fs = std::filesystem;
#if defined(_WIN32)
  // The Windows log location ignores XDG_STATE_HOME; the temporary folder is
  // inside the test's own Wine prefix.
  const fs::path base = fs::temp_directory_path();
  const std::string processId = std::to_string(::_getpid());
#else
  const char* state = std::getenv("XDG_STATE_HOME");
  const fs::path base = (state && *state) ? fs::path(state) : fs::temp_directory_path();
  const std::string processId = std::to_string(::getpid());
#endif
  const fs::path dir = base / "logger-tests" / (name + "-" + processId);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.string();
}

std::vector<std::string> readLogLines(const std::string& path) {
  if (auto logger = QuonLogger::current()) logger->flush();
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  const std::string text = content.str();

  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(lines.back().find('\n'), std::string::npos) << "bare line feed: " << lines.back();
    start = end + 2;
  }
  EXPECT_EQ(start, text.size()) << "text after the last \\r\\n in " << path;
  return lines;
}

std::vector<LogLine> linesWithMessage(const std::vector<std::string>& lines,
                                      const std::string& message) {
  std::vector<LogLine> found;
  for (const std::string& text : lines) {
    const std::optional<LogLine> line = parseLogLine(text);
    EXPECT_TRUE(line.has_value()) << "not in the line pattern: " << text;
    if (line && line->message == message) found.push_back(*line);
  }
  return found;
}

}  // namespace testing
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
