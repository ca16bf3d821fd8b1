#include "dynamic_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kivsh {

#if defined(_WIN32)

static std::string lastWindowsError() {
  const DWORD code = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.pop_back();
  }
  return message;
}

bool DynamicLibrary::open(const std::string& path) {
  close();
  handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
  if (!handle_) error_ = path + ": " + lastWindowsError();
  return handle_ != nullptr;
}

void DynamicLibrary::close() {
  if (handle_) FreeLibrary(reinterpret_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

void* DynamicLibrary::symbol(const char* name) {
  FARPROC address = handle_ ? GetProcAddress(reinterpret_cast<HMODULE>(handle_), name) : nullptr;
  if (!address) error_ = std::string("missing export ") + name;
  return reinterpret_cast<void*>(address);
}

std::string DynamicLibrary::platformFileName(const std::string& base, bool withLibPrefix) {
  return (withLibPrefix ? "lib" : "") + base + ".dll";
}

char DynamicLibrary::pathSeparator() { return '\\'; }

#else

bool DynamicLibrary::open(const std::string& path) {
  close();
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error_ = why ? why : path + ": cannot be loaded";
  }
  return handle_ != nullptr;
}

void DynamicLibrary::close() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
}

void* DynamicLibrary::symbol(const char* name) {
  void* address = handle_ ? dlsym(handle_, name) : nullptr;
  if (!address) error_ = std::string("missing export ") + name;
  return address;
}

std::string DynamicLibrary::platformFileName(const std::string& base, bool withLibPrefix) {
  return (withLibPrefix ? "lib" : "") + base + ".so";
}

char DynamicLibrary::pathSeparator() { return '/'; }

#endif

}  // namespace kivsh
