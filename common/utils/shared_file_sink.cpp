#include "common/utils/shared_file_sink.h"

#include <spdlog/pattern_formatter.h>

#include <exception>
#include <utility>

namespace velmo {
namespace quon {
namespace kiv {

std::string SharedFileSink::reopen(const std::string& path, size_t maxFileSize,
                                   size_t rotatedFiles) {
  std::lock_guard<std::mutex> lock(mutex_);
  file_.reset();  // flushes and closes before the file is opened again
  try {
    file_ = std::make_unique<RotatingFile>(path, maxFileSize, rotatedFiles,
                                           /*rotate_on_open=*/false);
    if (formatter_) file_->set_formatter(formatter_->clone());
    return std::string();
  } catch (const std::exception& e) {
    return e.what();
  }
}

void SharedFileSink::close() {
  std::lock_guard<std::mutex> lock(mutex_);
  file_.reset();
}

void SharedFileSink::log(const spdlog::details::log_msg& msg) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_) file_->log(msg);
}

void SharedFileSink::flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_) file_->flush();
}

void SharedFileSink::set_pattern(const std::string& pattern) {
  set_formatter(std::make_unique<spdlog::pattern_formatter>(pattern));
}

void SharedFileSink::set_formatter(std::unique_ptr<spdlog::formatter> formatter) {
  std::lock_guard<std::mutex> lock(mutex_);
  formatter_ = std::move(formatter);
  if (file_ && formatter_) file_->set_formatter(formatter_->clone());
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
