// What the operating system tells the log: the default folder for the log
// file, the code page file names are opened in, the separator of its paths,
// and the process id that names the logger.
#pragma once

#include <string>

namespace velmo {
namespace quon {
namespace kiv {

#if defined(_WIN32)
inline constexpr char kNativePathSeparator = '\\';
#else
inline constexpr char kNativePathSeparator = '/';
#endif

// The user's local application-data folder, then "Velmo", then the host
// executable's base name; each folder is created when missing. UTF-8; empty
// on any failure.
std::string defaultLogDirectory();

// UTF-8 text in the code page that file names are opened with (the ANSI code
// page on Windows, UTF-8 elsewhere).
std::string utf8ToFileNameCodePage(const std::string& utf8);

// The decimal id of the current process.
std::string processIdText();

// An environment variable of the process as it is now (on Windows read from
// the process's own block, which a host may change after the C runtime took
// its copy); empty when unset.
std::string environmentText(const char* name);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
