// VelmoKivWrapper.dll loaded at run time, the way a host in another language
// uses it: LoadLibrary, the eleven exports through cdecl function pointers,
// FreeLibrary. Also where the library's default log file is for this program.
#pragma once

#include <windows.h>

#include <string>

#include "host_kit.h"

namespace velmo_windows_test {

// The eleven exports as the host kit resolves them; its table of the linked
// library's exports checks its pointer types against the exported header.
using WrapperExports = HostKitExports;

constexpr const wchar_t* kWrapperDll = L"VelmoKivWrapper.dll";
constexpr const wchar_t* kSdkDll = L"velmo_kiv_sdk.dll";

class WrapperLibrary {
 public:
  WrapperLibrary();
  ~WrapperLibrary();
  WrapperLibrary(const WrapperLibrary&) = delete;
  WrapperLibrary& operator=(const WrapperLibrary&) = delete;

  // True when the DLL loaded and all eleven exports resolved.
  bool ready() const { return library_.handle != nullptr; }
  // Why it did not: the DLL or the first export that did not resolve.
  std::string missing() const { return library_.error; }
  const WrapperExports& api() const { return library_.exports; }
  // FreeLibrary now; true when it succeeded.
  bool unload() { return host_kit_close(&library_) == 1; }

 private:
  HostKitLibrary library_;
};

// One CallQuonKivApi with the result buffer of the documented size.
struct CallOutcome {
  int code;
  std::string result;
};
CallOutcome callApi(const WrapperExports& api, QuonKivEngineHandle engine, const char* apiName,
                    const std::string& params, void* buffer = nullptr);

// <local application data>\Velmo\<this program's base name>\velmo-quon-kiv.log
std::wstring defaultLogFile();
// The whole file, or an empty string when it cannot be read.
std::string readFile(const std::wstring& path);
// UTF-16 to the ANSI code page, the encoding of paths in the log.
std::string toAnsi(const std::wstring& text);

}  // namespace velmo_windows_test
