#!/usr/bin/env bash
# Measures how often Wine itself dies of SIGSEGV when a process ends while a
# thread-pool timer is set, the reason wine-run runs such a crash again.
# Builds a tiny C program with the cross compiler (no library of ours) that
# ends in one of three ways: with a 2-second thread-pool timer set, with a
# plain thread waiting on an event, or with no other thread. Each runs RUNS times in
# three parallel loops (the load under which CTest runs them) with the
# build's Wine prefix; prints the number of SIGSEGV endings of each.
#   scripts/wine-timer-exit-probe.sh [RUNS]     (default 150; needs build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-150}
BUILD_DIR=${BUILD_DIR:-build-windows}
[ -x "$BUILD_DIR/wine-run" ] || { echo "run scripts/windows-test.sh first" >&2; exit 1; }
export WINEPREFIX="$(cd "$BUILD_DIR" && pwd)/wineprefix" WINEDEBUG=-all

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/probe.c" <<'C'
#include <windows.h>
static VOID CALLBACK tick(PTP_CALLBACK_INSTANCE i, PVOID c, PTP_TIMER t) { (void)i; (void)c; (void)t; }
static DWORD WINAPI waiter(LPVOID event) { WaitForSingleObject(event, INFINITE); return 0; }
int main(int argc, char** argv) {
  if (argc > 1 && argv[1][0] == 't') {
    PTP_TIMER timer = CreateThreadpoolTimer(tick, NULL, NULL);
    ULARGE_INTEGER due; due.QuadPart = (ULONGLONG)(-20000000LL);
    FILETIME when; when.dwLowDateTime = due.LowPart; when.dwHighDateTime = due.HighPart;
    SetThreadpoolTimer(timer, &when, 2000, 0);
  } else if (argc > 1 && argv[1][0] == 'p') {
    CreateThread(NULL, 0, waiter, CreateEventA(NULL, TRUE, FALSE, NULL), 0, NULL);
    Sleep(1);
  }
  return 0;
}
C
i686-w64-mingw32-gcc-posix -O2 "$work/probe.c" -o "$work/probe.exe"

loop() {  # $1 = mode; prints one line per SIGSEGV ending
  for _ in $(seq 1 "$RUNS"); do
    status=0
    (wine "$work/probe.exe" "$1" >/dev/null 2>&1) 2>/dev/null || status=$?
    [ "$status" -ne 139 ] || echo crash
  done
}
for mode in timer plain-thread no-thread; do
  for i in 1 2 3; do loop "${mode:0:1}" > "$work/$mode.$i" 2>/dev/null & done
  wait
  echo "$mode: $(cat "$work/$mode".* | wc -l) SIGSEGV endings in $((RUNS * 3)) runs"
done
