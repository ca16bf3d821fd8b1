// kivsh: a shell that drives VelmoKivWrapper through its exports. `kivsh
// --help` describes its options and exit codes; docs/kivsh.md the rest.
//
// The library's own log lines (it writes them to standard output) go to
// --library-output, so standard output carries only the shell's lines.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "api_catalog.h"
#include "event_printer.h"
#include "interpreter.h"
#include "json_lines.h"
#include "library_loader.h"
#include "output_streams.h"
#include "prompt.h"
#include "script_runner.h"
#include "terminal.h"

namespace {

struct Options {
  bool json = false;
  bool version = false;
  std::string library;
  std::string libraryOutput;  // empty: null on a terminal, else stderr
  std::string script;
  int timeoutMs = 5000;
};

const char kUsage[] =
    "usage: kivsh [options] [SCRIPT | -]\n"
    "\n"
    "Drives VelmoKivWrapper through its exports. With SCRIPT, \"-\" (standard\n"
    "input) or input that is not a terminal it checks every line, then runs\n"
    "them in order until one fails. On a terminal it prompts for lines, with\n"
    "line editing and history; Ctrl-C cancels a running wait.\n"
    "\n"
    "options:\n"
    "  --library PATH          the library to load (default: beside kivsh, the\n"
    "                          folder above it, then the system's search)\n"
    "  --library-output WHERE  where the library's own log lines go: stderr,\n"
    "                          null or a file appended to (default: null when\n"
    "                          standard error is a terminal, else stderr)\n"
    "  --json                  one JSON object per line on standard output\n"
    "  --timeout MS            how long a wait waits unless its line says (5000)\n"
    "  --version               the shell's, the library's and the SDK's versions\n"
    "  -h, --help              this text\n"
    "\n"
    "exit codes:\n"
    "  0  every call answered its expected code and every wait succeeded\n"
    "     (or the interactive session ended)\n"
    "  1  a call answered another code, or a wait timed out or was refused\n"
    "  2  a bad script line, or bad arguments\n"
    "  3  the library could not be loaded, or --library-output not opened\n"
    "\n"
    "script lines:\n";

// Bad arguments: the message and the usage on standard error.
int usageError(const std::string& message) {
  std::fprintf(stderr, "kivsh: %s\n%s%s\n", message.c_str(), kUsage, kivsh::helpText());
  return kivsh::kExitBadScript;
}

bool parseArguments(int argc, char** argv, Options& options, int& exitCode) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--library" && i + 1 < argc) {
      options.library = argv[++i];
    } else if (arg == "--library-output" && i + 1 < argc) {
      options.libraryOutput = argv[++i];
    } else if (arg == "--timeout" && i + 1 < argc) {
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 0 || value > 3600000) {
        exitCode = usageError("--timeout takes milliseconds");
        return false;
      }
      options.timeoutMs = static_cast<int>(value);
    } else if (arg == "--help" || arg == "-h") {
      std::printf("%s%s\n", kUsage, kivsh::helpText());
      exitCode = kivsh::kExitOk;
      return false;
    } else if ((arg == "-" || arg[0] != '-') && options.script.empty()) {
      options.script = arg;
    } else {
      exitCode = usageError("unknown argument " + arg);
      return false;
    }
  }
  return true;
}

std::string canonicalPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  return error ? path : resolved.string();
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

  const bool interactive = !options.version && options.script.empty() && kivsh::stdinIsTerminal();
  if (options.libraryOutput.empty()) {
    options.libraryOutput = kivsh::stderrIsTerminal() ? "null" : "stderr";
  }
  std::string error;
  std::FILE* out = kivsh::separateLibraryOutput(options.libraryOutput, error);
  if (!out) {
    std::fprintf(stderr, "kivsh: %s\n", error.c_str());
    return kivsh::kExitNoLibrary;
  }
  if (options.version) std::fprintf(out, "kivsh %s\n", KIVSH_VERSION);

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
  const std::string sdk = std::string(version ? version : "?") + " build " + std::to_string(build);
  if (options.version) {
    std::fprintf(out, "library %s\nSDK %s\n", canonicalPath(loader.loadedFrom()).c_str(),
                 sdk.c_str());
    return kivsh::kExitOk;
  }
  reporter->note("kivsh: library " + loader.loadedFrom() + ", SDK " + sdk);

  kivsh::InterpreterOptions interpreterOptions;
  interpreterOptions.defaultTimeoutMs = options.timeoutMs;
  interpreterOptions.description = &kivsh::ApiCatalog::builtIn();
  const bool fromFile = !options.script.empty() && options.script != "-";
  if (fromFile) interpreterOptions.baseFolder = folderOf(options.script);

  if (interactive) {
    kivsh::Terminal terminal(out, "kivsh> ");
    reporter->setAround(
        [&terminal](const std::function<void()>& write) { terminal.printAbove(write); });
    interpreterOptions.cancel = &terminal.interrupted();
    kivsh::Interpreter interpreter(loader.exports(), *reporter, interpreterOptions);
    const int code = kivsh::runInteractive(terminal, interpreter, *reporter);
    interpreter.closeAll();  // before the terminal the printer writes through
    reporter->setAround(nullptr);
    return code;
  }
  kivsh::Interpreter interpreter(loader.exports(), *reporter, interpreterOptions);

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
