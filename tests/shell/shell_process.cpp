#include "shell_process.h"

#include <cstdio>
#include <fstream>

#if defined(_WIN32)
#include <windows.h>
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

namespace {

#if defined(_WIN32)
// The folder of this test program, with its trailing separator, in UTF-8: the
// shell and the DLLs are built into the same bin/ folder.
std::string programFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::wstring folder(path, length);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  const int size = static_cast<int>(folder.size());
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, folder.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0)
    WideCharToMultiByte(CP_UTF8, 0, folder.data(), size, &text[0], bytes, nullptr, nullptr);
  return text;
}

std::string shellCommand(const std::string& arguments) {
  const std::string folder = programFolder();
  // cmd drops the first and last quote of a line that starts with one, so the
  // whole line is quoted once more: ""exe" args".
  return "\"\"" + folder + "kivsh.exe\" --json --library \"" + folder + "VelmoKivWrapper.dll\" " +
         arguments + "\"";
}
#else
std::string shellCommand(const std::string& arguments) {
  return std::string("\"") + KIVSH_PATH + "\" --json --library \"" + KIVSH_LIBRARY_PATH + "\" " +
         arguments;
}
#endif

}  // namespace

std::vector<nlohmann::json> ShellRun::ofType(const std::string& type) const {
  std::vector<nlohmann::json> found;
  for (const auto& record : records) {
    if (record.value("type", "") == type) found.push_back(record);
  }
  return found;
}

ShellRun runShell(const std::string& scriptPath, const std::string& extraArguments) {
  const std::string command = shellCommand("--library-output null --timeout 30000 " +
                                           extraArguments + " \"" + scriptPath + "\" 2>&1");
  ShellRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::string line;
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, pipe)) {
    line += chunk;
    if (line.empty() || line.back() != '\n') continue;
    line.pop_back();
    nlohmann::json record = nlohmann::json::parse(line, nullptr, false);
    if (record.is_object()) {
      run.records.push_back(record);
    } else {
      run.unparsed.push_back(line);
    }
    line.clear();
  }
  const int status = pclose(pipe);
#if defined(_WIN32)
  run.exitCode = status;
#else
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return run;
}

std::string writeScript(const std::string& name, const std::string& text) {
  const std::string path = std::string(SHELL_SCRATCH_DIR) + "/" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}
