// The log file as one sink that every logger of the library shares. A
// rebuild reopens the file inside it, so the old logger (still used by calls in
// flight) and the new one never hold the file open twice: two buffered handles
// on one file would tear lines apart where their buffers spill.
#pragma once

#include <spdlog/formatter.h>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/sinks/sink.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace velmo {
namespace quon {
namespace kiv {

class SharedFileSink final : public spdlog::sinks::sink {
 public:
  // Closes the open file, then opens a rotating file on path (appending, no
  // rotation at opening). Returns the error text, empty on success; on error
  // no file is open.
  std::string reopen(const std::string& path, size_t maxFileSize, size_t rotatedFiles);
  void close();

  void log(const spdlog::details::log_msg& msg) override;
  void flush() override;
  void set_pattern(const std::string& pattern) override;
  void set_formatter(std::unique_ptr<spdlog::formatter> formatter) override;

 private:
  using RotatingFile = spdlog::sinks::rotating_file_sink_st;  // guarded by mutex_

  std::mutex mutex_;
  std::unique_ptr<RotatingFile> file_;
  std::unique_ptr<spdlog::formatter> formatter_;  // given to each file opened
};

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
