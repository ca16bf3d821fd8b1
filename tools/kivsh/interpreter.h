// Runs parsed script lines against the library: users, calls, waits, say.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "api_catalog.h"
#include "library_loader.h"
#include "reporter.h"
#include "script_line.h"
#include "user_session.h"

namespace kivsh {

struct InterpreterOptions {
  int defaultTimeoutMs = 5000;
  std::string baseFolder;  // file: payloads are relative to it; empty: the current folder
  // When set, a wait ends early once it turns true (Ctrl-C on a terminal).
  const std::atomic<bool>* cancel = nullptr;
  // When set and available, calls and waits are checked against it.
  const ApiCatalog* description = nullptr;
};

class Interpreter {
 public:
  Interpreter(const KivExports& api, Reporter& reporter, InterpreterOptions options);
  // Closes every user still open.
  ~Interpreter();

  // Runs one command. False when it failed; the reporter has been told why.
  bool run(const Command& command);
  void closeAll();

 private:
  bool openUser(const Command& command);
  bool closeUser(const Command& command);
  bool call(const Command& command);
  bool wait(const Command& command);
  bool fail(int line, const std::string& message);

  UserSession* findUser(const Command& command);
  bool loadPayload(const PayloadSpec& payloadSpec, int line, Bytes& out);
  // Replaces "$user.key.path" with the JSON it names in that user's last result.
  bool resolveReference(const std::string& text, int line, nlohmann::json& out);

  const KivExports& api_;
  Reporter& reporter_;
  InterpreterOptions options_;
  std::map<std::string, std::unique_ptr<UserSession>> users_;
  std::map<std::string, nlohmann::json> lastResults_;
};

}  // namespace kivsh
