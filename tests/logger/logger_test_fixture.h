// Each test logs into a folder of its own and leaves the log as library load
// sets it up.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "common/utils/log_location.h"
#include "common/utils/quon_logger.h"
#include "log_file_reader.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace testing {

class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = freshDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
    logger().setLogDirectory(dir_);
    path_ = inDir("velmo-quon-kiv.log");
    ASSERT_EQ(logger().logFilePath(), path_);
  }

  void TearDown() override {
    logger().shutdownAtUnload();
    logger().startAtLoad();
  }

  static QuonLogger& logger() { return QuonLogger::instance(); }

  // A path inside the test's folder, joined the way the library joins paths.
  std::string inDir(const std::string& relative) const {
    return dir_ + kNativePathSeparator + relative;
  }

  std::vector<std::string> lines() const { return readLogLines(path_); }
  size_t count(const std::string& message) const {
    return linesWithMessage(lines(), message).size();
  }

  std::string dir_;
  std::string path_;
};

}  // namespace testing
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
