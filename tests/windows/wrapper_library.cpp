#include "wrapper_library.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

namespace velmo_windows_test {

namespace {

// The name of this test program without ".exe"; the library names its log
// folder after the host executable.
constexpr const wchar_t* kProgramBaseName = L"test_windows";

}  // namespace

WrapperLibrary::WrapperLibrary() { host_kit_open(&library_, "VelmoKivWrapper.dll"); }

WrapperLibrary::~WrapperLibrary() { unload(); }

CallOutcome callApi(const WrapperExports& api, QuonKivEngineHandle engine, const char* apiName,
                    const std::string& params, void* buffer) {
  std::vector<char> result(QUON_KIV_RESULT_BUFFER_SIZE, '\0');
  const int code = host_kit_call(&api, engine, apiName, params.c_str(), buffer, 0, result.data());
  return {code, std::string(result.data())};
}

std::wstring defaultLogFile() {
  // The known-folder call, not the older one the library uses: an
  // independent answer for the same folder.
  PWSTR folder = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder))) return L"";
  std::wstring path = folder;
  CoTaskMemFree(folder);
  return path + L"\\Velmo\\" + kProgramBaseName + L"\\velmo-quon-kiv.log";
}

std::string readFile(const std::wstring& path) {
  std::string text;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return text;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
  fclose(file);
  return text;
}

std::string toAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                      nullptr);
  return out;
}

}  // namespace velmo_windows_test
