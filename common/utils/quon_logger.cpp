#include "common/utils/quon_logger.h"

namespace velmo {
namespace quon {
namespace kiv {

QuonLogger& QuonLogger::instance() {
  static QuonLogger logger;
  return logger;
}

std::shared_ptr<spdlog::logger> QuonLogger::current() { return spdlog::default_logger(); }

void QuonLogger::startAtLoad() {}
void QuonLogger::shutdownAtUnload() {}
void QuonLogger::setLogDirectory(const std::string& utf8Path) { filePath_ = utf8Path; }
void QuonLogger::setLogLevel(int level) { level_ = level; }
void QuonLogger::setMaxFileSize(uint32_t bytes) { maxFileSize_ = bytes; }
void QuonLogger::setDebugMode(bool on) { debugMode_ = on; }
void QuonLogger::rebuild() {}
std::string QuonLogger::logFilePath() const { return filePath_; }
int QuonLogger::level() const { return level_; }
uint32_t QuonLogger::maxFileSize() const { return maxFileSize_; }
bool QuonLogger::debugMode() const { return debugMode_; }

int mapSdkLogLevel(int sdkLevel) {
  switch (sdkLevel) {
    case 0: return 6;
    case 2: return 3;
    case 4: return 4;
    case 8: return 5;
    default: return 2;
  }
}

void applyLogFilter(const char*) {}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
