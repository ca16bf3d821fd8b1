// Interactive mode: a prompt on a terminal; a bad line or a failed call is
// reported and the session goes on; Ctrl-C drops the line being typed or
// cancels the running wait.
#pragma once

#include <cstdio>

#include "interpreter.h"
#include "reporter.h"
#include "terminal.h"

namespace kivsh {

bool stdinIsTerminal();
bool stderrIsTerminal();

// The language in a few lines, for "help" and the banner.
const char* helpText();

// Reads lines until end of input or "quit"; returns the exit code.
int runInteractive(Terminal& terminal, Interpreter& interpreter, Reporter& reporter);

}  // namespace kivsh
