// kivsh: a shell that drives VelmoKivWrapper through its exports.
//
//   kivsh [--json] [--library PATH] [--library-output stderr|null|FILE]
//         [--timeout MS] [SCRIPT | -]
//
// The library's own log lines (it writes them to standard output) go to
// --library-output, standard error by default, so standard output carries
// only the shell's lines.
// With a script (or "-" for standard input, or input that is not a
// terminal) it runs the script and exits 0, 1 when a call or wait failed,
// 2 for a bad script line, 3 when the library cannot be loaded. On a
// terminal it prompts for lines.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "event_printer.h"
#include "interpreter.h"
#include "json_lines.h"
#include "library_loader.h"
#include "output_streams.h"
#include "prompt.h"
#include "script_runner.h"

namespace {

struct Options {
  bool json = false;
  std::string library;
  std::string libraryOutput = "stderr";
  std::string script;
  int timeoutMs = 5000;
};

int usage(const char* message) {
  if (message) std::fprintf(stderr, "kivsh: %s\n", message);
  std::fprintf(stderr,
               "usage: kivsh [--json] [--library PATH] [--library-output stderr|null|FILE]\n"
               "             [--timeout MS] [SCRIPT | -]\n"
               "script lines:\n%s\n",
               kivsh::helpText());
  return kivsh::kExitBadScript;
}

bool parseArguments(int argc, char** argv, Options& options, int& exitCode) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--library" && i + 1 < argc) {
      options.library = argv[++i];
    } else if (arg == "--library-output" && i + 1 < argc) {
      options.libraryOutput = argv[++i];
    } else if (arg == "--timeout" && i + 1 < argc) {
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 0 || value > 3600000) {
        exitCode = usage("--timeout takes milliseconds");
        return false;
      }
      options.timeoutMs = static_cast<int>(value);
    } else if (arg == "--help" || arg == "-h") {
      exitCode = usage(nullptr);
      return false;
    } else if ((arg == "-" || arg[0] != '-') && options.script.empty()) {
      options.script = arg;
    } else {
      exitCode = usage(("unknown argument " + arg).c_str());
      return false;
    }
  }
  return true;
}

std::string folderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int exitCode = 0;
  if (!parseArguments(argc, argv, options, exitCode)) return exitCode;

  std::string error;
  std::FILE* out = kivsh::separateLibraryOutput(options.libraryOutput, error);
  if (!out) {
    std::fprintf(stderr, "kivsh: %s\n", error.c_str());
    return kivsh::kExitNoLibrary;
  }
  std::unique_ptr<kivsh::Reporter> reporter;
  if (options.json) {
    reporter = std::make_unique<kivsh::JsonLinesReporter>(out);
  } else {
    reporter = std::make_unique<kivsh::EventPrinter>(out, stderr);
  }

  kivsh::LibraryLoader loader;
  if (!loader.load(options.library, argc > 0 ? argv[0] : "")) {
    reporter->error(0, loader.error());
    return kivsh::kExitNoLibrary;
  }
  int build = 0;
  const char* version = loader.exports().GetQuonKivVersion(&build);
  reporter->note("kivsh: library " + loader.loadedFrom() + ", SDK " + (version ? version : "?") +
                 " build " + std::to_string(build));

  kivsh::InterpreterOptions interpreterOptions;
  interpreterOptions.defaultTimeoutMs = options.timeoutMs;
  const bool fromFile = !options.script.empty() && options.script != "-";
  if (fromFile) interpreterOptions.baseFolder = folderOf(options.script);
  kivsh::Interpreter interpreter(loader.exports(), *reporter, interpreterOptions);

  if (!fromFile && options.script.empty() && kivsh::stdinIsTerminal()) {
    return kivsh::runInteractive(std::cin, interpreter, *reporter, out);
  }

  std::ifstream file;
  if (fromFile) {
    file.open(options.script, std::ios::binary);
    if (!file) {
      reporter->error(0, "cannot open script " + options.script);
      return kivsh::kExitBadScript;
    }
  }
  std::vector<kivsh::Command> commands;
  if (!kivsh::checkScript(fromFile ? file : std::cin, *reporter, commands)) {
    return kivsh::kExitBadScript;
  }
  const int code = kivsh::runScript(commands, interpreter);
  interpreter.closeAll();
  return code;
}
