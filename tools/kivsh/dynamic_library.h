// The one place that knows how a shared library is loaded on each platform:
// dlopen/dlsym on POSIX systems, LoadLibrary/GetProcAddress on Windows.
#pragma once

#include <string>

namespace kivsh {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  // Leaves the library loaded: threads it started (its log flusher, the
  // SDK's) may still run when the process ends, and must not find their
  // code unmapped.
  ~DynamicLibrary() = default;

  // False with error() describing why; a library already open is closed first.
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return handle_ != nullptr; }

  // The address of an exported symbol, or null with error() set.
  void* symbol(const char* name);

  const std::string& error() const { return error_; }

  // The file names the platform gives a library called `base`
  // ("libX.so" and "X.so"; "X.dll" and "libX.dll").
  static std::string platformFileName(const std::string& base, bool withLibPrefix);
  static char pathSeparator();

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace kivsh
