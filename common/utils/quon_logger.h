// The library's own log: its settings, and the spdlog default logger rebuilt
// from them whenever one changes.
#pragma once

#include <spdlog/spdlog.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "common/utils/periodic_flusher.h"

namespace velmo {
namespace quon {
namespace kiv {

class SharedFileSink;

class QuonLogger {
 public:
  static constexpr int kLevelInfo = spdlog::level::info;
  static constexpr int kLevelOff = spdlog::level::off;
  static constexpr uint32_t kDefaultMaxFileSize = 5242880;  // 5 MiB

  static QuonLogger& instance();

  // The logger every log line goes through; null before start-up and after
  // unload. The copy keeps it alive while a rebuild replaces it.
  static std::shared_ptr<spdlog::logger> current();

  // False when no line of this level can be written: the log macros test it
  // before touching the logger or formatting anything.
  static bool enabled(spdlog::level::level_enum level) {
    return level >= lowestWrittenLevel_.load(std::memory_order_relaxed);
  }

  // Library load / unload.
  void startAtLoad();
  void shutdownAtUnload();

  void setLogDirectory(const std::string& utf8Path);  // empty: the default folder
  void setLogLevel(int level);  // spdlog scale: 1..6, anything else becomes 2 (info)
  void setMaxFileSize(uint32_t bytes);
  void setDebugMode(bool on);
  void rebuild();

  // The user's folder for the log when none is given (UTF-8, empty on failure).
  static std::string defaultLogDirectory();

  std::string logFilePath() const;
  int level() const;
  uint32_t maxFileSize() const;
  bool debugMode() const;

 private:
  QuonLogger();

  void resetSettings();
  void setLogDirectoryLocked(const std::string& utf8Path);
  void rebuildLocked();
  static void publish(std::shared_ptr<spdlog::logger> logger, int lowestWrittenLevel);

  // Lowest level any line can be written at; off while there is no logger.
  static inline std::atomic<int> lowestWrittenLevel_{kLevelOff};

  // Setters come from serialised API calls and from load and unload; the lock
  // keeps a stray concurrent call from tearing the settings anyway.
  mutable std::mutex settingsMutex_;
  std::string filePath_;  // in the code page file names are opened with
  bool debugMode_ = false;
  int level_ = kLevelInfo;
  uint32_t maxFileSize_ = kDefaultMaxFileSize;
  bool started_ = false;  // between startAtLoad and shutdownAtUnload
  PeriodicFlusher flusher_;
  const std::shared_ptr<SharedFileSink> fileSink_;  // shared by every logger built
};

// SDK log level (0 off, 1 info, 2 warning, 4 error, 8 critical) to the spdlog scale.
int mapSdkLogLevel(int sdkLevel);

// "KivClient_setParameters_3a2037f": switch debug mode when the parameters
// name a numeric "kiv.log_filter"; leave it alone otherwise.
void applyLogFilter(const char* parameters);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
