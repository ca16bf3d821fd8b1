// VelmoKivWrapper.dll loaded at run time, the way a host in another language
// uses it: LoadLibrary, the eleven exports through cdecl function pointers,
// FreeLibrary. Also where the library's default log file is for this program.
#pragma once

#include <windows.h>

#include <string>

#include "velmo_kiv_wrapper.h"

namespace velmo_windows_test {

// Pointer types come from the exported header, so a calling convention or
// signature that drifts there is what these tests call through.
struct WrapperExports {
  decltype(&CreateQuonKivEngine) CreateQuonKivEngine = nullptr;
  decltype(&CreateQuonKivEngineWithProcTable) CreateQuonKivEngineWithProcTable = nullptr;
  decltype(&createQuonKivClient) createQuonKivClient = nullptr;
  decltype(&DestroyQuonKivEngine) DestroyQuonKivEngine = nullptr;
  decltype(&destroyQuonKivClient) destroyQuonKivClient = nullptr;
  decltype(&CallQuonKivApi) CallQuonKivApi = nullptr;
  decltype(&CreateQuonKivEventHandler) CreateQuonKivEventHandler = nullptr;
  decltype(&DestroyQuonKivEventHandler) DestroyQuonKivEventHandler = nullptr;
  decltype(&GetQuonKivErrorReason) GetQuonKivErrorReason = nullptr;
  decltype(&getQuonKivErrorReason) getQuonKivErrorReason = nullptr;
  decltype(&GetQuonKivVersion) GetQuonKivVersion = nullptr;
};

constexpr const wchar_t* kWrapperDll = L"VelmoKivWrapper.dll";
constexpr const wchar_t* kSdkDll = L"velmo_kiv_sdk.dll";

class WrapperLibrary {
 public:
  WrapperLibrary();
  ~WrapperLibrary();
  WrapperLibrary(const WrapperLibrary&) = delete;
  WrapperLibrary& operator=(const WrapperLibrary&) = delete;

  // True when the DLL loaded and all eleven exports resolved.
  bool ready() const { return module_ != nullptr && missing_.empty(); }
  // The exports that did not resolve, comma separated.
  const std::string& missing() const { return missing_; }
  const WrapperExports& api() const { return api_; }
  // FreeLibrary now; true when it succeeded.
  bool unload();

 private:
  HMODULE module_;
  WrapperExports api_;
  std::string missing_;
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
