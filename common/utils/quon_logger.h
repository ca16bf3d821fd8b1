// The library's own log: settings, and the spdlog default logger rebuilt from
// them whenever one changes.
#pragma once

#include <spdlog/spdlog.h>

#include <cstdint>
#include <memory>
#include <string>

namespace velmo {
namespace quon {
namespace kiv {

class QuonLogger {
 public:
  static QuonLogger& instance();

  // The logger every log line goes through; may be null before start-up.
  static std::shared_ptr<spdlog::logger> current();

  // Library load / unload.
  void startAtLoad();
  void shutdownAtUnload();

  void setLogDirectory(const std::string& utf8Path);
  void setLogLevel(int level);  // spdlog scale: 1..6, anything else becomes 2 (info)
  void setMaxFileSize(uint32_t bytes);
  void setDebugMode(bool on);
  void rebuild();

  std::string logFilePath() const;
  int level() const;
  uint32_t maxFileSize() const;
  bool debugMode() const;

 private:
  QuonLogger() = default;
  std::string filePath_;
  bool debugMode_ = false;
  int level_ = 2;
  uint32_t maxFileSize_ = 5242880;
};

// SDK log level (0 off, 1 info, 2 warning, 4 error, 8 critical) to the spdlog scale.
int mapSdkLogLevel(int sdkLevel);

// "KivClient_setParameters_3a2037f": switch debug mode when the parameters
// name a numeric "kiv.log_filter"; leave it alone otherwise.
void applyLogFilter(const char* parameters);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
