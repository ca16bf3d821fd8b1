// The library log of a fuzz target: started as at library load, but inside a
// scratch folder so that no run writes into the user's state folder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/utils/quon_logger.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fuzz {

// The folder the log lives in: $VELMO_FUZZ_LOG_DIR, else a fresh folder in /tmp.
inline const std::string& scratchFolder() {
  static const std::string folder = [] {
    if (const char* given = std::getenv("VELMO_FUZZ_LOG_DIR"); given && *given == '/')
      return std::string(given);
    char name[] = "/tmp/velmo-fuzz-XXXXXX";
    const char* made = mkdtemp(name);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

// The size "KivClient_create" sets when its config names none (1024 KB):
// starting from it spares a rebuild of the log for every input.
constexpr uint32_t kMaxFileSize = 1024 * 1024;

// Starts the log at the given level; the default log file goes to the scratch folder.
inline void startScratchLog(int level) {
  setenv("XDG_STATE_HOME", scratchFolder().c_str(), 1);
  QuonLogger& logger = QuonLogger::instance();
  logger.startAtLoad();
  logger.setLogLevel(level);
  logger.setMaxFileSize(kMaxFileSize);
}

// Undoes what the previous input changed through the log setters, so that
// every input starts from the same log state.
inline void resetScratchLog(int level) {
  QuonLogger& logger = QuonLogger::instance();
  static const std::string defaultPath = logger.logFilePath();
  if (logger.logFilePath() != defaultPath) logger.setLogDirectory(std::string());
  logger.setDebugMode(false);
  logger.setMaxFileSize(kMaxFileSize);
  logger.setLogLevel(level);
}

}  // namespace fuzz
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
