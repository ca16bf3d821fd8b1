// The interactive terminal: reads lines with editing and history (when built
// with libedit), turns Ctrl-C into a flag instead of an exit, and prints lines
// that arrive from other threads above the prompt, drawing it again below.
#pragma once

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

namespace kivsh {

class Terminal {
 public:
  enum class Read { Line, Interrupted, End };

  // `out` is where the prompt and the typed text go. Installs the Ctrl-C
  // handler; the destructor puts the previous one back.
  Terminal(std::FILE* out, std::string prompt);
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Shows the prompt and reads one line (kept in the history when not blank).
  // Interrupted: Ctrl-C dropped the line being typed.
  Read readLine(std::string& line);

  // Runs `write` (which prints whole lines to `out`); while the prompt is
  // shown, the prompt line is cleared before and drawn again after. Any thread.
  void printAbove(const std::function<void()>& write);

  // True from a Ctrl-C until clear(); a wait watches it.
  const std::atomic<bool>& interrupted() const;
  void clearInterrupt();

 private:
  std::FILE* out_;
  std::string prompt_;
  std::mutex mutex_;  // the terminal's state: the line editor and promptShown_
  bool promptShown_ = false;
};

}  // namespace kivsh
