"""The shell's command-line and terminal conventions, as one scripted session.

    terminal_session.py KIVSH SOURCE_DIR

Runs kivsh on a pseudo-terminal as a person would: --help and --version, line
editing and history, Ctrl-C during a wait, an event arriving while a line is
half typed, a misspelt event name, and no library log lines on the terminal.
"""

import fcntl
import os
import pty
import re
import select
import signal
import struct
import subprocess
import sys
import termios
import time

KIVSH, SOURCE = sys.argv[1], sys.argv[2]
HAS_DESCRIPTION = os.path.exists(os.path.join(SOURCE, "api", "velmo-kiv-api.json"))
PROMPT = b"kivsh> "
failures = []


def check(condition, what, detail=""):
    print("%s %s" % ("ok  " if condition else "FAIL", what))
    if not condition:
        failures.append(what)
        if detail:
            print(detail)


def command_line():
    done = subprocess.run([KIVSH, "--help"], capture_output=True, text=True)
    check(done.returncode == 0 and "exit codes:" in done.stdout and not done.stderr,
          "--help: usage with exit codes on standard output, exit 0", done.stderr)
    done = subprocess.run([KIVSH, "--version"], capture_output=True, text=True)
    lines = done.stdout.splitlines()
    check(done.returncode == 0 and len(lines) == 3 and lines[0].startswith("kivsh ") and
          lines[1].startswith("library ") and lines[2].startswith("SDK "),
          "--version: shell, library and SDK versions", done.stdout + done.stderr)
    done = subprocess.run([KIVSH, "--frobnicate"], capture_output=True, text=True)
    check(done.returncode == 2 and "unknown argument --frobnicate" in done.stderr and
          not done.stdout, "an unknown argument: exit 2, told on standard error")


class Session:
    """kivsh on a pseudo-terminal: standard input, output and error."""

    def __init__(self):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.environ["TERM"] = "xterm"
            os.execv(KIVSH, [KIVSH])
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 40, 200, 0, 0))
        self.output = b""

    def read_until(self, pattern, timeout=10.0, start=0):
        """Reads until `pattern` (bytes, a regular expression) appears after `start`."""
        deadline = time.monotonic() + timeout
        while not re.search(pattern, self.output[start:]):
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return False
            ready, _, _ = select.select([self.fd], [], [], remaining)
            if ready:
                try:
                    chunk = os.read(self.fd, 65536)
                except OSError:
                    return False
                if not chunk:
                    return False
                self.output += chunk
        return True

    def type(self, text):
        os.write(self.fd, text)

    def run(self, line, until, timeout=10.0):
        """Types a line and reads until `until` and the next prompt; the output since."""
        start = len(self.output)
        self.type(line + b"\r")
        found = self.read_until(until + b"(.|\n)*" + re.escape(PROMPT), timeout, start)
        return found, self.output[start:]

    def finish(self):
        self.type(b"quit\r")
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                return os.waitstatus_to_exitcode(status)
            self.read_until(b"$^", 0.1)
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)
        return None


def terminal():
    s = Session()
    check(s.read_until(re.escape(PROMPT)), "the prompt appears", s.output.decode(errors="replace"))
    found, _ = s.run(b"user alice", b"has an engine")
    check(found, "a user is made")
    found, _ = s.run(b'alice KivClient_create {"config":{"appId":"demo-app","userId":"alice"}} sink',
                     b"<- 0 ")
    check(found, "the client is created")

    # History: Up brings the last line back; editing: Left and an insertion.
    s.run(b"say one", b"== one")
    found, out = s.run(b"\x1b[A", b"== one")
    check(found, "Up recalls the previous line", out.decode(errors="replace"))
    found, out = s.run(b"say to\x1b[Dw", b"== two")
    check(found, "Left moves the cursor for an insertion", out.decode(errors="replace"))

    # Ctrl-C cancels a wait and returns to the prompt; the shell lives on.
    start = len(s.output)
    s.type(b"wait alice KivEventHandler_onLogoutResult_4f46899 within 60000\r")
    time.sleep(0.5)
    s.type(b"\x03")
    found = s.read_until(b"cancelled(.|\n)*" + re.escape(PROMPT), 10, start)
    check(found, "Ctrl-C cancels the wait", s.output[start:].decode(errors="replace"))
    found, _ = s.run(b"say still here", b"== still here")
    check(found, "the shell goes on after Ctrl-C")

    # An event while a line is half typed: printed above, the line drawn again.
    s.run(b'alice KivClient_login_1fa04dd {"token":"alice-token"}', b"<- 0 ")
    s.run(b"wait alice KivEventHandler_onLoginResult_4f46899", b"ok received")
    s.run(b'alice KivClient_setParameters_3a2037f {"parameters":"{\\"loopback.reconnect_delay_ms\\":'
          b'1500,\\"loopback.drop_connection\\":true}"}', b"<- 0 ")
    start = len(s.output)
    s.type(b"say half")
    found = s.read_until(b"\\*\\* KivEventHandler_(.|\n)*kivsh> say half", 15, start)
    check(found, "an event prints above the prompt, which is redrawn with the typed text",
          s.output[start:].decode(errors="replace"))
    found, _ = s.run(b" typed", b"== half typed")
    check(found, "the half-typed line is kept")

    if HAS_DESCRIPTION:
        started = time.monotonic()
        found, out = s.run(b"wait alice KivEventHandler_onLoginResul_4f46899 within 30000",
                           b"KivEventHandler_onLoginResult_4f46899")
        check(found and time.monotonic() - started < 10,
              "a misspelt event name is refused at once with the near name",
              out.decode(errors="replace"))

    check(b"api name" not in s.output, "no library log line on the terminal")
    code = s.finish()
    check(code == 0, "quit leaves with exit code 0", "exit code %r" % code)


command_line()
terminal()
print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
