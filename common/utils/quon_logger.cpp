#include "common/utils/quon_logger.h"

#include <spdlog/pattern_formatter.h>
#include <spdlog/sinks/stdout_sinks.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "common/includes/quon_log.h"
#include "common/utils/log_location.h"
#include "common/utils/log_path_rules.h"
#include "common/utils/shared_file_sink.h"
#include "src/kiv/src/json/json_numbers.h"
#include "velmo_build_version.h"

namespace velmo {
namespace quon {
namespace kiv {

namespace {

constexpr char kLinePattern[] = "[%Y-%m-%d %H:%M:%S.%e][%t][%L][%s:%#] %v";
constexpr char kLineEnding[] = "\r\n";
constexpr size_t kRotatedFiles = 3;
constexpr std::chrono::milliseconds kFlushPeriod{2000};
constexpr int64_t kDebugFilterBits = 0x80f;
constexpr char kConsoleVariable[] = "VELMO_KIV_LIBRARY_OUTPUT";

// The logger that log calls read. Never destroyed, like the QuonLogger
// itself: unload hooks may run after the library's static destructors.
std::shared_ptr<spdlog::logger>& publishedLogger() {
  static auto* const slot = new std::shared_ptr<spdlog::logger>();
  return *slot;
}

// The console half of the log: standard output, unless the host's
// environment asks for "stderr" or "none". Read at every rebuild, the first
// at load included, so a host whose standard output is data (a pipe of JSON
// lines) can keep the library's lines off it without losing the file.
spdlog::sink_ptr consoleSink() {
  const std::string where = environmentText(kConsoleVariable);
  if (where == "none") return nullptr;
  if (where == "stderr") return std::make_shared<spdlog::sinks::stderr_sink_mt>();
  return std::make_shared<spdlog::sinks::stdout_sink_mt>();
}

}  // namespace

QuonLogger::QuonLogger() : fileSink_(std::make_shared<SharedFileSink>()) {}

QuonLogger& QuonLogger::instance() {
  static QuonLogger* const logger = new QuonLogger();
  return *logger;
}

std::shared_ptr<spdlog::logger> QuonLogger::current() {
  return std::atomic_load(&publishedLogger());
}

void QuonLogger::publish(std::shared_ptr<spdlog::logger> logger, int lowestWrittenLevel) {
  // The gate only spares work: a call let through by a stale gate is still
  // filtered by the logger's own level, and no line is dropped while swapping.
  std::atomic_store(&publishedLogger(), std::move(logger));
  lowestWrittenLevel_.store(lowestWrittenLevel, std::memory_order_relaxed);
}

void QuonLogger::resetSettings() {
  filePath_.clear();
  debugMode_ = false;
  level_ = kLevelInfo;
  maxFileSize_ = kDefaultMaxFileSize;
}

void QuonLogger::startAtLoad() {
  {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    resetSettings();
    started_ = true;
    setLogDirectoryLocked(std::string());
  }
  flusher_.start(kFlushPeriod, [] {
    spdlog::apply_all([](const std::shared_ptr<spdlog::logger>& logger) { logger->flush(); });
  });
#if !defined(_WIN32)
  // A library opened at run time and never closed sees its statics, spdlog's
  // registry among them, destroyed at exit before its unload hook runs. An exit
  // handler registered now, after the registry exists, runs before it goes.
  // (On Windows the unload hook skips process exit, whose other threads are
  // already gone.)
  static const bool exitHandlerRegistered =
      std::atexit([] { QuonLogger::instance().shutdownAtUnload(); }) == 0;
  (void)exitHandlerRegistered;
#endif
}

void QuonLogger::shutdownAtUnload() {
  {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    if (!started_) return;
    started_ = false;
  }
  flusher_.stop();
  publish(nullptr, kLevelOff);
  // Drops every logger: each flushes and closes its file once the last log
  // call holding it returns.
  spdlog::shutdown();
  fileSink_->close();
  std::lock_guard<std::mutex> lock(settingsMutex_);
  resetSettings();
}

std::string QuonLogger::defaultLogDirectory() { return kiv::defaultLogDirectory(); }

void QuonLogger::setLogDirectory(const std::string& utf8Path) {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  setLogDirectoryLocked(utf8Path);
}

void QuonLogger::setLogDirectoryLocked(const std::string& utf8Path) {
  // Path rules look only at ".", "/" and the backslash, which never occur
  // inside a multi-byte UTF-8 character: apply them before the code-page
  // conversion so a double-byte code page cannot fake a separator.
  if (utf8Path.empty()) {
    // The default folder is a directory whatever dots its folder names hold
    // (a user name "jane.doe", "~/.local/state"): no file-name cut.
    filePath_ =
        utf8ToFileNameCodePage(logFilePathInDirectory(defaultLogDirectory(), kNativePathSeparator));
  } else {
    filePath_ =
        utf8ToFileNameCodePage(logFilePathForGivenDirectory(utf8Path, kNativePathSeparator));
  }
  rebuildLocked();
}

void QuonLogger::setLogLevel(int level) {
  const int taken = (level >= spdlog::level::debug && level <= kLevelOff) ? level : kLevelInfo;
  std::lock_guard<std::mutex> lock(settingsMutex_);
  if (taken == level_) return;
  level_ = taken;
  rebuildLocked();
}

void QuonLogger::setMaxFileSize(uint32_t bytes) {
  // The rotating file refuses a size of 0; callers reach it when a size in
  // kilobytes wraps in 32 bits. The size stays as it was.
  if (bytes == 0) return;
  std::lock_guard<std::mutex> lock(settingsMutex_);
  if (bytes == maxFileSize_) return;
  maxFileSize_ = bytes;
  rebuildLocked();
}

void QuonLogger::setDebugMode(bool on) {
  {
    std::lock_guard<std::mutex> lock(settingsMutex_);
    if (on == debugMode_) return;
    debugMode_ = on;
    rebuildLocked();
  }
  if (on)
    QUON_LOG_DEBUG("set logger debug mode enabled");
  else
    QUON_LOG_INFO("set logger debug mode disabled");
}

void QuonLogger::rebuild() {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  rebuildLocked();
}

void QuonLogger::rebuildLocked() {
  try {
    std::vector<spdlog::sink_ptr> sinks;
    std::string fileError;
    if (level_ != kLevelOff) {
      if (auto console = consoleSink()) sinks.push_back(std::move(console));
    }
    if (level_ != kLevelOff && !filePath_.empty()) {
      fileError = fileSink_->reopen(filePath_, maxFileSize_, kRotatedFiles);
      // Without the file the log goes on; the error line below names it.
      if (fileError.empty()) sinks.push_back(fileSink_);
    } else {
      fileSink_->close();
    }
    auto logger = std::make_shared<spdlog::logger>(processIdText(), sinks.begin(), sinks.end());

    spdlog::flush_on(spdlog::level::debug);
    spdlog::set_default_logger(logger);
    const int effectiveLevel = debugMode_ ? static_cast<int>(spdlog::level::debug) : level_;
    spdlog::set_level(static_cast<spdlog::level::level_enum>(effectiveLevel));
    spdlog::set_formatter(std::make_unique<spdlog::pattern_formatter>(
        kLinePattern, spdlog::pattern_time_type::local, kLineEnding));
    publish(logger, sinks.empty() ? kLevelOff : effectiveLevel);

    if (!fileError.empty()) QUON_LOG_ERROR("cannot open log file {}: {}", filePath_, fileError);
    QUON_LOG_INFO("reset logger to {}", filePath_);
    QUON_LOG_INFO("quon version: {} commit: {} build: {}", VELMO_KIV_VERSION_TEXT,
                  VELMO_KIV_SOURCE_REVISION, VELMO_KIV_BUILD_NUMBER);
  } catch (...) {
    // Out of memory or an unusable standard output: the previous logger, if
    // any, stays in place, and the caller never sees an exception.
  }
}

std::string QuonLogger::logFilePath() const {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return filePath_;
}

int QuonLogger::level() const {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return level_;
}

uint32_t QuonLogger::maxFileSize() const {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return maxFileSize_;
}

bool QuonLogger::debugMode() const {
  std::lock_guard<std::mutex> lock(settingsMutex_);
  return debugMode_;
}

int mapSdkLogLevel(int sdkLevel) {
  switch (sdkLevel) {
    case 0:
      return spdlog::level::off;
    case 2:
      return spdlog::level::warn;
    case 4:
      return spdlog::level::err;
    case 8:
      return spdlog::level::critical;
    default:
      return spdlog::level::info;
  }
}

void applyLogFilter(const char* parameters) {
  if (!parameters || !std::strstr(parameters, "kiv.log_filter")) return;
  const nlohmann::json settings = nlohmann::json::parse(parameters, nullptr,
                                                        /*allow_exceptions=*/false);
  if (!settings.is_object()) return;
  const auto filter = settings.find("kiv.log_filter");
  if (filter == settings.end() || !filter->is_number()) return;
  const int64_t bits = numberTo<int64_t>(*filter);
  QuonLogger::instance().setDebugMode((bits & kDebugFilterBits) == kDebugFilterBits);
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
