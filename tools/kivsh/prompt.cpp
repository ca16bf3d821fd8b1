#include "prompt.h"

#include <cstdio>
#include <string>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "script_line.h"
#include "script_runner.h"

namespace kivsh {

bool stdinIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(fileno(stdin)) != 0;
#endif
}

bool stderrIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

const char* helpText() {
  return "  user NAME                        create an engine and an event sink for NAME\n"
         "  NAME API [JSON] [PAYLOAD] [expect CODE]\n"
         "                                   call API; PAYLOAD is text:..., hex:..., file:...\n"
         "                                   or sink (KivClient_create: NAME's event sink)\n"
         "  wait NAME EVENT [key=value ...] [within MS]\n"
         "                                   wait for EVENT; key is a path into its JSON\n"
         "                                   (event.publisher) or payload / payload[N];\n"
         "                                   value may be $USER.key from USER's last result\n"
         "  say TEXT                         print TEXT as a heading\n"
         "  close NAME                       destroy NAME's engine and sink\n"
         "  help, quit";
}

int runInteractive(Terminal& terminal, Interpreter& interpreter, Reporter& reporter) {
  reporter.note("kivsh: type help for the commands, quit to leave; Ctrl-C cancels a wait");
  std::string text;
  int lineNumber = 0;
  while (true) {
    const Terminal::Read read = terminal.readLine(text);
    if (read == Terminal::Read::End) break;
    if (read == Terminal::Read::Interrupted) continue;
    ++lineNumber;
    ParsedLine parsed = parseLine(text, lineNumber);
    if (!parsed.ok) {
      reporter.error(lineNumber, parsed.error);
      continue;
    }
    if (parsed.command.kind == Command::Kind::Quit) break;
    if (parsed.command.kind == Command::Kind::Help) {
      reporter.note(helpText());
      continue;
    }
    terminal.clearInterrupt();
    interpreter.run(parsed.command);
  }
  reporter.note("");
  return kExitOk;
}

}  // namespace kivsh
