// Interactive mode: a prompt on a terminal; a bad line or a failed call is
// reported and the session goes on.
#pragma once

#include <cstdio>
#include <istream>

#include "interpreter.h"
#include "reporter.h"

namespace kivsh {

bool stdinIsTerminal();

// The language in a few lines, for "help" and the banner.
const char* helpText();

// Reads lines until end of input or "quit"; returns the exit code.
int runInteractive(std::istream& in, Interpreter& interpreter, Reporter& reporter, std::FILE* out);

}  // namespace kivsh
