#include "script_runner.h"

#include <set>

namespace kivsh {

bool checkScript(std::istream& in, Reporter& reporter, std::vector<Command>& commands) {
  std::set<std::string> users;
  std::string text;
  int lineNumber = 0;
  bool ok = true;
  while (std::getline(in, text)) {
    ++lineNumber;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    ParsedLine parsed = parseLine(text, lineNumber);
    if (!parsed.ok) {
      // A misspelt command reads as a call by an unknown user; say that first.
      const std::string word = firstWord(text);
      const bool strangeUser = isValidUserName(word) && !users.count(word);
      reporter.error(lineNumber, strangeUser ? unknownUserMessage(word) : parsed.error);
      ok = false;
      continue;
    }
    Command& cmd = parsed.command;
    switch (cmd.kind) {
      case Command::Kind::Empty:
      case Command::Kind::Help:
        continue;
      case Command::Kind::User:
        users.insert(cmd.user);
        break;
      case Command::Kind::Call:
      case Command::Kind::Wait:
      case Command::Kind::Close:
        if (!users.count(cmd.user)) {
          reporter.error(lineNumber, unknownUserMessage(cmd.user));
          ok = false;
        }
        if (cmd.kind == Command::Kind::Close) users.erase(cmd.user);
        break;
      default:
        break;
    }
    commands.push_back(std::move(cmd));
    if (commands.back().kind == Command::Kind::Quit) break;
  }
  return ok;
}

int runScript(const std::vector<Command>& commands, Interpreter& interpreter) {
  for (const Command& command : commands) {
    if (command.kind == Command::Kind::Quit) break;
    if (!interpreter.run(command)) return kExitFailed;
  }
  return kExitOk;
}

}  // namespace kivsh
