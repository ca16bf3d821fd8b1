#include "shell_process.h"

#include <cstdio>
#include <fstream>

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

std::vector<nlohmann::json> ShellRun::ofType(const std::string& type) const {
  std::vector<nlohmann::json> found;
  for (const auto& record : records) {
    if (record.value("type", "") == type) found.push_back(record);
  }
  return found;
}

ShellRun runShell(const std::string& scriptPath, const std::string& extraArguments) {
  const std::string command = std::string("\"") + KIVSH_PATH + "\" --json --library \"" +
                              KIVSH_LIBRARY_PATH + "\" --library-output null --timeout 30000 " +
                              extraArguments + " \"" + scriptPath + "\" 2>&1";
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
