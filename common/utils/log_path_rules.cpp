#include "common/utils/log_path_rules.h"

namespace velmo {
namespace quon {
namespace kiv {

namespace {

bool endsInSeparator(std::string_view text) {
  return !text.empty() && (text.back() == '/' || text.back() == '\\');
}

// Drops a trailing file name: a "." in the last part (after the last "/" or
// backslash) marks one. Dots in the folders before it (a user folder such as
// "jane.doe") say nothing. A text without a separator is kept whole.
std::string_view withoutFileName(std::string_view text) {
  const size_t cut = text.find_last_of("/\\");
  if (cut == std::string_view::npos) return text;
  if (text.find('.', cut + 1) == std::string_view::npos) return text;
  // A file right under the root keeps the root itself.
  return text.substr(0, cut == 0 ? 1 : cut);
}

}  // namespace

std::string joinPathPart(std::string_view directory, std::string_view part, char separator) {
  std::string joined(directory);
  if (part.empty()) return joined;
  if (!endsInSeparator(directory)) joined += separator;
  joined += part;
  return joined;
}

std::string logFilePathInDirectory(std::string_view directory, char separator) {
  // Without a directory the path would be the file name alone, in whatever
  // folder the host happens to run: there is no log file then.
  if (directory.empty()) return std::string();
  return joinPathPart(directory, kLogFileName, separator);
}

std::string logFilePathForGivenDirectory(std::string_view text, char separator) {
  return logFilePathInDirectory(withoutFileName(text), separator);
}

std::string executableBaseName(std::string_view path) {
  const size_t lastSeparator = path.find_last_of("/\\");
  if (lastSeparator == std::string_view::npos) return std::string();
  std::string_view name = path.substr(lastSeparator + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
