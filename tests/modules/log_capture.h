// Collects the lines that the library logs while it is alive, by adding a
// sink to the library's current logger.
#pragma once

#include <spdlog/sinks/base_sink.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "common/utils/quon_logger.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace fake {

class LogCapture {
 public:
  LogCapture() : logger_(QuonLogger::current()), sink_(std::make_shared<Sink>()) {
    if (logger_) logger_->sinks().push_back(sink_);
  }
  ~LogCapture() {
    if (!logger_) return;
    auto& sinks = logger_->sinks();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), sink_), sinks.end());
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // True when a line of this level contains text.
  bool has(spdlog::level::level_enum level, const std::string& text) const {
    for (const auto& line : sink_->lines())
      if (line.first == level && line.second.find(text) != std::string::npos) return true;
    return false;
  }
  // True when a line of any level contains text.
  bool mentions(const std::string& text) const {
    for (const auto& line : sink_->lines())
      if (line.second.find(text) != std::string::npos) return true;
    return false;
  }

 private:
  class Sink : public spdlog::sinks::base_sink<std::mutex> {
   public:
    std::vector<std::pair<spdlog::level::level_enum, std::string>> lines() {
      std::lock_guard<std::mutex> guard(mutex_);
      return lines_;
    }

   protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
      lines_.emplace_back(msg.level, std::string(msg.payload.data(), msg.payload.size()));
    }
    void flush_() override {}

   private:
    std::vector<std::pair<spdlog::level::level_enum, std::string>> lines_;
  };

  std::shared_ptr<spdlog::logger> logger_;
  std::shared_ptr<Sink> sink_;
};

}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
