// Runs kivsh as its own process in JSON-lines mode and collects its records.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

struct ShellRun {
  int exitCode = -1;
  std::vector<nlohmann::json> records;  // one per output line
  std::vector<std::string> unparsed;    // lines that were not JSON

  std::vector<nlohmann::json> ofType(const std::string& type) const;
};

// Runs the shell on `scriptPath` with --json; the library's own lines are dropped.
ShellRun runShell(const std::string& scriptPath, const std::string& extraArguments = "");

// Writes `text` to a file in the test's scratch folder and returns its path.
std::string writeScript(const std::string& name, const std::string& text);
