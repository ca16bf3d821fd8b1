// The library writes its log lines to the process's standard output. The
// shell keeps standard output for itself (so --json output stays pure JSON)
// and points the library's lines elsewhere.
#pragma once

#include <cstdio>
#include <string>

namespace kivsh {

// Returns a stream on the original standard output for the shell's own
// output, and redirects what is later written to standard output into
// `libraryOutput`: "stderr" (standard error), "null" (discarded) or a file
// path (appended to). Null with `error` set when that fails; must be called
// before the library is loaded.
std::FILE* separateLibraryOutput(const std::string& libraryOutput, std::string& error);

}  // namespace kivsh
