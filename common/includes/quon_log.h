// Logging macros used by every part of the library: a level, the source
// location, and a message with "{}" placeholders. Arguments are formatted only
// when the level is enabled; a line logged while another thread rebuilds the
// log goes to whichever logger was current, which stays alive for the call.
#pragma once

#include <spdlog/spdlog.h>

#include "common/utils/quon_logger.h"

// The place in the source where it appears, for a line logged on its behalf.
#define QUON_HERE \
  ::spdlog::source_loc { __FILE__, __LINE__, SPDLOG_FUNCTION }

#define QUON_LOG_AT(where, lvl, ...)                                    \
  do {                                                                  \
    if (::velmo::quon::kiv::QuonLogger::enabled(lvl)) {                 \
      if (auto quonLogger_ = ::velmo::quon::kiv::QuonLogger::current()) \
        quonLogger_->log(where, lvl, __VA_ARGS__);                      \
    }                                                                   \
  } while (0)

#define QUON_LOG(lvl, ...) QUON_LOG_AT(QUON_HERE, lvl, __VA_ARGS__)

#define QUON_LOG_DEBUG(...) QUON_LOG(::spdlog::level::debug, __VA_ARGS__)
#define QUON_LOG_INFO(...) QUON_LOG(::spdlog::level::info, __VA_ARGS__)
#define QUON_LOG_WARN(...) QUON_LOG(::spdlog::level::warn, __VA_ARGS__)
#define QUON_LOG_ERROR(...) QUON_LOG(::spdlog::level::err, __VA_ARGS__)
