// Shared pieces of the event bridge tests: a sink that records what it is
// given, a capture of the library's log lines, and a guard against hangs.
#pragma once

#include <gtest/gtest.h>
#include <spdlog/sinks/base_sink.h>
#include <spdlog/sinks/stdout_sinks.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/utils/quon_logger.h"
#include "quon_event_handler.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace testing_support {

// A copy of everything one EventParam held.
struct RecordedEvent {
  std::string name;
  std::string data;
  unsigned int dataLength = 0;
  bool nulTerminated = false;
  bool resultBufferNull = false;
  bool buffersNull = false;
  bool lengthsNull = false;
  unsigned int bufferCount = 0;
  std::vector<const void*> buffers;
  std::vector<unsigned int> lengths;

  nlohmann::json body() const { return nlohmann::json::parse(data); }
};

class RecordingSink : public QuonEventHandler {
 public:
  // Extra work done inside OnEvent, after recording.
  std::function<void(EventParam*)> during;

  void OnEvent(EventParam* event) override {
    RecordedEvent r;
    r.name = event->eventName;
    r.data.assign(event->data, event->dataLength);
    r.dataLength = event->dataLength;
    r.nulTerminated = event->data[event->dataLength] == '\0';
    r.resultBufferNull = event->resultBuffer == nullptr;
    r.buffersNull = event->buffers == nullptr;
    r.lengthsNull = event->bufferLengths == nullptr;
    r.bufferCount = event->bufferCount;
    for (unsigned int i = 0; event->buffers && event->bufferLengths && i < event->bufferCount;
         ++i) {
      r.buffers.push_back(event->buffers[i]);
      r.lengths.push_back(event->bufferLengths[i]);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      events_.push_back(std::move(r));
    }
    if (during) during(event);
  }

  std::vector<RecordedEvent> events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }

  // The one event recorded; fails the test when there is not exactly one.
  RecordedEvent only() const {
    const auto all = events();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? RecordedEvent{} : all.front();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<RecordedEvent> events_;
};

struct LogLine {
  spdlog::level::level_enum level;
  std::string text;
};

class CapturingLogSink : public spdlog::sinks::base_sink<std::mutex> {
 public:
  std::vector<LogLine> lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
  }

 protected:
  void sink_it_(const spdlog::details::log_msg& msg) override {
    lines_.push_back({msg.level, std::string(msg.payload.data(), msg.payload.size())});
  }
  void flush_() override {}

 private:
  std::vector<LogLine> lines_;
};

// Records the library's log lines while it lives. The first capture turns
// the library log's debug mode on for the rest of the program (debug lines
// then go to the capture and the log file, not the console). The capture
// sink is added once per library logger and stays: the logger's sink list
// has no lock of its own.
class LogCapture {
 public:
  LogCapture() : sink_(installedSink()) { sink_->clear(); }

  std::vector<LogLine> lines() const { return sink_->lines(); }
  std::vector<std::string> at(spdlog::level::level_enum level) const {
    std::vector<std::string> texts;
    for (const LogLine& line : lines())
      if (line.level == level) texts.push_back(line.text);
    return texts;
  }

 private:
  static std::shared_ptr<CapturingLogSink> installedSink() {
    static const auto capture = std::make_shared<CapturingLogSink>();
    if (!QuonLogger::instance().debugMode()) QuonLogger::instance().setDebugMode(true);
    std::shared_ptr<spdlog::logger> logger = QuonLogger::current();
    EXPECT_NE(logger, nullptr);
    if (!logger) return capture;
    auto& sinks = logger->sinks();
    if (std::find(sinks.begin(), sinks.end(), capture) == sinks.end()) {
      for (const spdlog::sink_ptr& sink : sinks)
        if (std::dynamic_pointer_cast<spdlog::sinks::stdout_sink_mt>(sink))
          sink->set_level(spdlog::level::info);
      sinks.push_back(capture);
    }
    return capture;
  }

  std::shared_ptr<CapturingLogSink> sink_;
};

// Runs work on its own thread and waits for it generously; a hang (for
// example a deadlock) ends the test program instead of stalling the run.
// The thread is joined, never detached, and finishing is a polled flag: under
// Wine the 32-bit Windows threading runtime sometimes lost the result of a
// detached thread waited for through a future.
inline void finishesOrAbort(const char* what, std::function<void()> work) {
  std::atomic<bool> finished{false};
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    finished.store(true);
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!finished.load()) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "%s did not finish: deadlock\n", what);
      std::abort();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace testing_support
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
