#include "terminal.h"

#include <csignal>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <cerrno>
#else
#include <fcntl.h>
#include <sys/select.h>
#include <unistd.h>

#include <cerrno>
#endif

#if defined(KIVSH_HAVE_LIBEDIT)
#include <editline/readline.h>
#endif

namespace kivsh {

namespace {

std::atomic<bool> g_interrupted{false};

#if defined(_WIN32)

void onInterrupt(int) {
  g_interrupted = true;
  std::signal(SIGINT, onInterrupt);  // the handler is reset before it runs
}

#else

// Ctrl-C wakes the read loop through this pipe: a handler may only write.
int g_wakePipe[2] = {-1, -1};
struct sigaction g_previous;

void onInterrupt(int) {
  const int savedErrno = errno;
  g_interrupted = true;
  const char byte = 'i';
  if (write(g_wakePipe[1], &byte, 1) < 0) {
    // A full pipe already holds a wake-up.
  }
  errno = savedErrno;
}

void drainWakePipe() {
  char bytes[64];
  while (read(g_wakePipe[0], bytes, sizeof bytes) > 0) {
  }
}

// Waits until standard input can be read; false when Ctrl-C came first.
bool waitForInput() {
  while (true) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(STDIN_FILENO, &readable);
    FD_SET(g_wakePipe[0], &readable);
    const int highest = STDIN_FILENO > g_wakePipe[0] ? STDIN_FILENO : g_wakePipe[0];
    const int ready = select(highest + 1, &readable, nullptr, nullptr, nullptr);
    if (ready < 0 && errno != EINTR) return true;  // let the read report it
    if (g_interrupted) {
      drainWakePipe();
      return false;
    }
    if (ready > 0 && FD_ISSET(STDIN_FILENO, &readable)) return true;
  }
}

#endif

#if defined(KIVSH_HAVE_LIBEDIT)
// The line handler of libedit's callback interface has no user data.
struct PendingLine {
  bool done = false;
  bool end = false;
  std::string text;
} g_pending;

void onLine(char* line) {
  g_pending.done = true;
  g_pending.end = line == nullptr;
  if (line) g_pending.text = line;
  std::free(line);
}
#endif

// A Ctrl-C that cancelled the last command is spent: the new line starts afresh.
void startReading() {
  g_interrupted = false;
#if !defined(_WIN32)
  drainWakePipe();
#endif
}

#if defined(KIVSH_HAVE_LIBEDIT)
bool isBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}
#endif

}  // namespace

Terminal::Terminal(std::FILE* out, std::string prompt) : out_(out), prompt_(std::move(prompt)) {
  g_interrupted = false;
#if defined(_WIN32)
  std::signal(SIGINT, onInterrupt);
#else
  if (g_wakePipe[0] < 0 && pipe(g_wakePipe) == 0) {
    for (int fd : g_wakePipe) {
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
      fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  }
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_previous);
#endif
#if defined(KIVSH_HAVE_LIBEDIT)
  rl_instream = stdin;
  rl_outstream = out_;
  rl_catch_signals = 0;  // Ctrl-C is the shell's
#endif
}

Terminal::~Terminal() {
#if defined(_WIN32)
  std::signal(SIGINT, SIG_DFL);
#else
  sigaction(SIGINT, &g_previous, nullptr);
#endif
}

const std::atomic<bool>& Terminal::interrupted() const { return g_interrupted; }

void Terminal::clearInterrupt() { g_interrupted = false; }

#if defined(KIVSH_HAVE_LIBEDIT)

Terminal::Read Terminal::readLine(std::string& line) {
  startReading();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    g_pending = PendingLine();
    rl_callback_handler_install(prompt_.c_str(), onLine);
    promptShown_ = true;
  }
  Read outcome = Read::Line;
  while (!g_pending.done) {
    if (!waitForInput()) {
      outcome = Read::Interrupted;
      break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    rl_callback_read_char();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  promptShown_ = false;
  if (outcome == Read::Interrupted) {
    rl_replace_line("", 0);
    std::fputs("^C\n", out_);
  } else if (g_pending.end) {
    outcome = Read::End;
  }
  rl_callback_handler_remove();
  std::fflush(out_);
  line = g_pending.text;
  if (outcome == Read::Line && !isBlank(line)) add_history(line.c_str());
  return outcome;
}

void Terminal::printAbove(const std::function<void()>& write) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!promptShown_) {
    write();
    return;
  }
  std::fputs("\r\033[K", out_);  // the prompt line, with what was typed so far
  std::fflush(out_);
  write();
  rl_forced_update_display();
  std::fflush(out_);
}

#else  // plain reading: no editing, the prompt is drawn again without the typed text

Terminal::Read Terminal::readLine(std::string& line) {
  startReading();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::fputs(prompt_.c_str(), out_);
    std::fflush(out_);
    promptShown_ = true;
  }
  line.clear();
  Read outcome = Read::Line;
  while (true) {
#if defined(_WIN32)
    const int c = std::fgetc(stdin);
#else
    // Byte by byte from the descriptor: stdio's buffer would hide typed-ahead
    // lines from select().
    if (!waitForInput()) {
      outcome = Read::Interrupted;
      break;
    }
    unsigned char byte = 0;
    const ssize_t got = read(STDIN_FILENO, &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    const int c = got == 1 ? byte : EOF;
#endif
    if (c == EOF) {
      if (g_interrupted) {
        std::clearerr(stdin);
        outcome = Read::Interrupted;
      } else if (line.empty()) {
        outcome = Read::End;
      }
      break;
    }
    if (c == '\n') break;
    line += static_cast<char>(c);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  promptShown_ = false;
  if (outcome == Read::Interrupted) {
    line.clear();
    std::fputs("^C\n", out_);
    std::fflush(out_);
  }
  return outcome;
}

void Terminal::printAbove(const std::function<void()>& write) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!promptShown_) {
    write();
    return;
  }
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  write();
  std::fputs(prompt_.c_str(), out_);
  std::fflush(out_);
}

#endif

}  // namespace kivsh
