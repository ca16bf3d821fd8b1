// The log file: line pattern, rotation, the lines written at load, and what
// happens when the file or the folder cannot be used.
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>
#include <vector>

#include "common/includes/quon_log.h"
#include "common/utils/log_location.h"
#include "common/utils/log_path_rules.h"
#include "logger_test_fixture.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace testing {
namespace {

namespace fs = std::filesystem;

const std::string kVersionLine =
    R"(quon version: \d+(\.\d+){3}-build\.\d+ commit: [0-9a-f]{40} build: \d+)";

using LoggerFileTest = LoggerTest;

// The thread id the line pattern's thread field shows.
std::string currentThreadIdText() {
#if defined(_WIN32)
  return std::to_string(::GetCurrentThreadId());
#else
  return std::to_string(::syscall(SYS_gettid));
#endif
}

TEST_F(LoggerFileTest, LineHasThePatternAndEndsInCrLf) {
  QUON_LOG_WARN("probe {} {}", 7, "seven");
  const int probeLine = __LINE__ - 1;

  const std::vector<LogLine> probes = linesWithMessage(lines(), "probe 7 seven");
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0].level, "W");
  EXPECT_EQ(probes[0].file, "test_log_file.cpp");
  EXPECT_EQ(probes[0].line, probeLine);
  EXPECT_EQ(probes[0].thread, currentThreadIdText());

  const std::vector<LogLine> resets = linesWithMessage(lines(), "reset logger to " + path_);
  ASSERT_EQ(resets.size(), 1u);
  EXPECT_EQ(resets[0].level, "I");
  EXPECT_EQ(resets[0].file, "quon_logger.cpp");
}

TEST_F(LoggerFileTest, RotatesIntoThreeOlderFilesBelowTheMaximumSize) {
  constexpr uint32_t kMaxBytes = 1024;
  logger().setMaxFileSize(kMaxBytes);
  ASSERT_EQ(logger().maxFileSize(), kMaxBytes);
  for (int i = 0; i < 200; ++i) QUON_LOG_INFO("rotation line {:04}", i);
  (void)lines();  // flushes

  const std::string rotated[] = {path_, inDir("velmo-quon-kiv.1.log"),
                                 inDir("velmo-quon-kiv.2.log"), inDir("velmo-quon-kiv.3.log")};
  EXPECT_FALSE(fs::exists(inDir("velmo-quon-kiv.4.log")));
  int newerFirstLine = 1000;
  for (const std::string& file : rotated) {
    ASSERT_TRUE(fs::exists(file)) << file;
    EXPECT_LE(fs::file_size(file), kMaxBytes) << file;
    const std::vector<std::string> fileLines = readLogLines(file);
    ASSERT_FALSE(fileLines.empty()) << file;
    // Each older file ends just before the next newer one begins.
    const std::optional<LogLine> last = parseLogLine(fileLines.back());
    const std::optional<LogLine> first = parseLogLine(fileLines.front());
    ASSERT_TRUE(first && last) << file;
    const int lastIndex = std::stoi(last->message.substr(last->message.size() - 4));
    if (file != path_) {
      EXPECT_EQ(lastIndex + 1, newerFirstLine) << file;
    }
    newerFirstLine = std::stoi(first->message.substr(first->message.size() - 4));
  }
  const std::vector<std::string> current = readLogLines(path_);
  EXPECT_EQ(parseLogLine(current.back())->message, "rotation line 0199");
}

TEST_F(LoggerFileTest, FirstTwoLinesAfterLoadNameTheDefaultFileAndTheVersion) {
#if defined(_WIN32)
  // The local application-data folder cannot be moved from inside the process;
  // the test checks the folders below it.
  logger().shutdownAtUnload();
  logger().startAtLoad();
  const std::string expected = defaultLogDirectory() + "\\velmo-quon-kiv.log";
  const std::string tail = "\\Velmo\\test_logger\\velmo-quon-kiv.log";
  ASSERT_GT(expected.size(), tail.size());
  EXPECT_EQ(expected.substr(expected.size() - tail.size()), tail);
#else
  const std::string state = freshDirectory("first-lines-state");
  const std::string previousState =
      std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
  ASSERT_EQ(::setenv("XDG_STATE_HOME", state.c_str(), 1), 0);
  logger().shutdownAtUnload();
  logger().startAtLoad();

  const std::string expected = state + "/Velmo/" +
                               executableBaseName(fs::read_symlink("/proc/self/exe").string()) +
                               "/velmo-quon-kiv.log";
#endif
  EXPECT_EQ(logger().logFilePath(), expected);
  EXPECT_EQ(logger().level(), 2);
  EXPECT_EQ(logger().maxFileSize(), 5242880u);
  EXPECT_FALSE(logger().debugMode());
  const std::vector<std::string> loadLines = readLogLines(expected);
  ASSERT_GE(loadLines.size(), 2u);
  const std::optional<LogLine> reset = parseLogLine(loadLines[0]);
  const std::optional<LogLine> version = parseLogLine(loadLines[1]);
  ASSERT_TRUE(reset && version);
  EXPECT_EQ(reset->message, "reset logger to " + expected);
  EXPECT_TRUE(std::regex_match(version->message, std::regex(kVersionLine))) << version->message;
  EXPECT_EQ(version->level, "I");

#if !defined(_WIN32)
  if (previousState.empty())
    ::unsetenv("XDG_STATE_HOME");
  else
    ::setenv("XDG_STATE_HOME", previousState.c_str(), 1);
#endif
}

TEST_F(LoggerFileTest, UnopenableFileLeavesStandardOutputAndNamesThePath) {
  std::ofstream(inDir("blocker")) << "a file where a folder would be";
  const std::string unusableFolder = inDir("blocker") + kNativePathSeparator + "sub";
  const std::string unusable = unusableFolder + kNativePathSeparator + "velmo-quon-kiv.log";

  ::testing::internal::CaptureStdout();
  EXPECT_NO_THROW(logger().setLogDirectory(unusableFolder));
  QUON_LOG_INFO("still logging");
  const std::string out = ::testing::internal::GetCapturedStdout();

  EXPECT_EQ(logger().logFilePath(), unusable);
  EXPECT_NE(out.find("cannot open log file " + unusable), std::string::npos) << out;
  EXPECT_NE(out.find("reset logger to " + unusable), std::string::npos) << out;
#if defined(_WIN32)
  // GoogleTest reads captured output back in text mode, which turns "\r\n"
  // into "\n"; the line ending itself is checked in the file (readLogLines).
  EXPECT_NE(out.find("still logging\n"), std::string::npos) << out;
#else
  EXPECT_NE(out.find("still logging\r\n"), std::string::npos) << out;
#endif

  // A usable folder brings the file back.
  logger().setLogDirectory(dir_);
  QUON_LOG_INFO("back in the file");
  EXPECT_EQ(count("back in the file"), 1u);
}

#if !defined(_WIN32)
// On Windows the default folder comes from the shell's local application-data
// folder, which no environment variable of the running process can block.
TEST_F(LoggerFileTest, NoUsableFolderAtAllLogsWithoutAFile) {
  std::ofstream(inDir("blocker")) << "a file where a folder would be";
  const char* previous = std::getenv("XDG_STATE_HOME");
  const std::string previousState = previous ? previous : "";
  ASSERT_EQ(::setenv("XDG_STATE_HOME", (dir_ + "/blocker/state").c_str(), 1), 0);

  ::testing::internal::CaptureStdout();
  EXPECT_NO_THROW(logger().setLogDirectory(""));
  const std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(logger().logFilePath(), "");
  EXPECT_NE(out.find("reset logger to \r\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("cannot open"), std::string::npos) << out;

  if (previousState.empty())
    ::unsetenv("XDG_STATE_HOME");
  else
    ::setenv("XDG_STATE_HOME", previousState.c_str(), 1);
}
#endif

// The host's environment picks the console half of the log; the file keeps
// every line whatever it picks.
TEST_F(LoggerFileTest, EnvironmentSendsTheConsoleLinesWhereTheHostAsks) {
  struct Case {
    const char* output;
    bool onStdout;
    bool onStderr;
  };
  const Case cases[] = {
      {"", true, false}, {"stdout", true, false}, {"stderr", false, true}, {"none", false, false}};
  const auto setOutput = [](const char* value) {
#if defined(_WIN32)
    ::_putenv_s("VELMO_KIV_LIBRARY_OUTPUT", value);
#else
    ::setenv("VELMO_KIV_LIBRARY_OUTPUT", value, 1);
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    setOutput(c.output);
    const std::string probe = std::string("console probe ") + c.output;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    logger().setLogDirectory(dir_);  // rebuilds, reading the environment
    QUON_LOG_WARN("{}", probe);
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(out.find(probe) != std::string::npos, c.onStdout) << out;
    EXPECT_EQ(err.find(probe) != std::string::npos, c.onStderr) << err;
    EXPECT_EQ(count(probe), 1u);
  }
  setOutput("");
}

TEST_F(LoggerFileTest, MaximumSizeThatWrapsToZeroChangesNothing) {
  const std::shared_ptr<spdlog::logger> before = QuonLogger::current();
  const uint32_t wrapped = 4194304u * 1024u;
  ASSERT_EQ(wrapped, 0u);
  EXPECT_NO_THROW(logger().setMaxFileSize(wrapped));
  EXPECT_EQ(logger().maxFileSize(), 5242880u);
  EXPECT_EQ(QuonLogger::current(), before) << "rebuilt for a size of 0";
  EXPECT_EQ(count("reset logger to " + path_), 1u);
}

TEST_F(LoggerFileTest, LinesLoggedWhileOtherThreadsRebuildAreAllWrittenWhole) {
  constexpr int kThreads = 4;
  constexpr int kLinesPerThread = 500;
  std::atomic<bool> go{false};
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([t, &go] {
      while (!go.load()) std::this_thread::yield();
      for (int i = 0; i < kLinesPerThread; ++i) QUON_LOG_INFO("worker {} line {}", t, i);
    });
  }
  go = true;
  for (int i = 0; i < 40; ++i) logger().setMaxFileSize(i % 2 ? 5242880u : 5242881u);
  for (std::thread& worker : workers) worker.join();

  int workerLines = 0;
  for (const std::string& text : lines()) {
    const std::optional<LogLine> line = parseLogLine(text);
    ASSERT_TRUE(line.has_value()) << "torn line: " << text;
    if (line->message.rfind("worker ", 0) == 0) ++workerLines;
  }
  EXPECT_EQ(workerLines, kThreads * kLinesPerThread);
}

}  // namespace
}  // namespace testing
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
