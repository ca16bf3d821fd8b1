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

  // True when a line of this level contains text (and was logged from a
  // source file whose path contains fromFile).
  bool has(spdlog::level::level_enum level, const std::string& text,
           const std::string& fromFile = "") const {
    for (const Line& line : sink_->lines())
      if (line.level == level && line.text.find(text) != std::string::npos &&
          line.file.find(fromFile) != std::string::npos)
        return true;
    return false;
  }
  // True when a line of any level contains text.
  bool mentions(const std::string& text) const {
    for (const Line& line : sink_->lines())
      if (line.text.find(text) != std::string::npos) return true;
    return false;
  }

 private:
  struct Line {
    spdlog::level::level_enum level;
    std::string text;
    std::string file;
  };

  class Sink : public spdlog::sinks::base_sink<std::mutex> {
   public:
    std::vector<Line> lines() {
      std::lock_guard<std::mutex> guard(mutex_);
      return lines_;
    }

   protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
      lines_.push_back({msg.level, std::string(msg.payload.data(), msg.payload.size()),
                        msg.source.filename ? msg.source.filename : ""});
    }
    void flush_() override {}

   private:
    std::vector<Line> lines_;
  };

  std::shared_ptr<spdlog::logger> logger_;
  std::shared_ptr<Sink> sink_;
};

}  // namespace fake
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
