// Text rules for where the log file goes. They take the separator as a
// parameter and touch no file system, so the Windows rules are checked on
// every platform.
#pragma once

#include <string>
#include <string_view>

namespace velmo {
namespace quon {
namespace kiv {

inline constexpr char kLogFileName[] = "velmo-quon-kiv.log";

// The log file path for a directory text given by the host. A text whose
// last part (after the last "/" or backslash) holds a "." is taken to end in
// a file name, which is dropped; then the file name is joined. An empty text
// gives an empty path: no log file.
std::string logFilePathForGivenDirectory(std::string_view text, char separator);

// The log file path inside a directory known to be one (the default folder):
// no file-name cut, whatever dots its folder names hold.
std::string logFilePathInDirectory(std::string_view directory, char separator);

// directory + separator + part. No separator is added when the directory
// already ends in "/" or a backslash; an empty part contributes nothing.
std::string joinPathPart(std::string_view directory, std::string_view part, char separator);

// The file name of an executable path without its extension: the text after
// the last "/" or backslash, cut at its last ".". Empty when the path holds
// no separator.
std::string executableBaseName(std::string_view path);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
