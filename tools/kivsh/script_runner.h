// Script mode: every line is checked before the first one runs, then the
// lines run in order until one fails.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "interpreter.h"
#include "reporter.h"
#include "script_line.h"

namespace kivsh {

enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitBadScript = 2, kExitNoLibrary = 3 };

// Parses every line; reports each bad line (and each use of a user no
// earlier line created) and returns false if there was any.
bool checkScript(std::istream& in, Reporter& reporter, std::vector<Command>& commands);

// Runs checked commands; kExitFailed at the first call or wait that fails.
int runScript(const std::vector<Command>& commands, Interpreter& interpreter);

}  // namespace kivsh
