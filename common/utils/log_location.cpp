#include "common/utils/log_location.h"

#include "common/utils/log_path_rules.h"

#if defined(_WIN32)
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>
#else
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#endif

namespace velmo {
namespace quon {
namespace kiv {

#if defined(_WIN32)

namespace {

constexpr int kLocalAppDataFolderId = 28;  // CSIDL_LOCAL_APPDATA
constexpr DWORD kModulePathChars = 260;

std::wstring toWide(const std::string& text, UINT codePage) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int chars = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (chars <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(chars), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], chars);
  return wide;
}

std::string fromWide(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string text(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, &text[0], bytes, nullptr, nullptr);
  return text;
}

bool createDirectory(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

std::string defaultLogDirectory() {
  wchar_t localAppData[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, kLocalAppDataFolderId, nullptr, SHGFP_TYPE_CURRENT,
                              localAppData)))
    return std::string();
  const std::wstring velmoFolder = std::wstring(localAppData) + L"\\Velmo";
  if (!createDirectory(velmoFolder)) return std::string();

  wchar_t modulePath[kModulePathChars] = {};
  const DWORD length = GetModuleFileNameW(nullptr, modulePath, kModulePathChars);
  // A full buffer means a cut path, whose base name would be wrong.
  if (length == 0 || length >= kModulePathChars) return std::string();
  const std::string executable = fromWide(std::wstring(modulePath, length), CP_UTF8);
  if (executable.find('\\') == std::string::npos || executable.find('.') == std::string::npos)
    return std::string();

  const std::string directory =
      joinPathPart(fromWide(velmoFolder, CP_UTF8), executableBaseName(executable), '\\');
  if (!createDirectory(toWide(directory, CP_UTF8))) return std::string();
  return directory;
}

std::string utf8ToFileNameCodePage(const std::string& utf8) {
  return fromWide(toWide(utf8, CP_UTF8), CP_ACP);
}

std::string processIdText() { return std::to_string(GetCurrentProcessId()); }

std::string environmentText(const char* name) {
  char small[64];
  DWORD needed = GetEnvironmentVariableA(name, small, sizeof small);
  if (needed == 0) return std::string();
  if (needed < sizeof small) return std::string(small, needed);
  std::string text(needed, '\0');
  needed = GetEnvironmentVariableA(name, text.data(), needed);
  text.resize(needed < text.size() ? needed : 0);
  return text;
}

#else  // the same layout from the XDG state folder and /proc

namespace {

bool createDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

// $XDG_STATE_HOME when absolute, else ~/.local/state; created with its
// parents when missing.
std::string localStateFolder() {
  std::string folder;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
    folder = state;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    folder = joinPathPart(home, ".local/state", '/');
  } else {
    return std::string();
  }
  for (size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    if (!createDirectory(folder.substr(0, slash))) return std::string();
  }
  return createDirectory(folder) ? folder : std::string();
}

std::string executablePath() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path));
  if (length <= 0 || static_cast<size_t>(length) >= sizeof(path)) return std::string();
  return std::string(path, static_cast<size_t>(length));
}

}  // namespace

std::string defaultLogDirectory() {
  const std::string stateFolder = localStateFolder();
  if (stateFolder.empty()) return std::string();
  const std::string velmoFolder = joinPathPart(stateFolder, "Velmo", '/');
  if (!createDirectory(velmoFolder)) return std::string();

  const std::string executable = executablePath();
  if (executable.empty()) return std::string();
  const std::string directory = joinPathPart(velmoFolder, executableBaseName(executable), '/');
  return createDirectory(directory) ? directory : std::string();
}

std::string utf8ToFileNameCodePage(const std::string& utf8) { return utf8; }

std::string processIdText() { return std::to_string(::getpid()); }

std::string environmentText(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

#endif

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
