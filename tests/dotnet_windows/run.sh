#!/usr/bin/env bash
# A real Windows .NET process on the packed packages: Program.cs, published
# self-contained for win-x64 and win-x86 from packages that carry those
# builds' DLLs, run under Wine. The win-x64 program must pass; the win-x86 one
# runs where Wine can start 32-bit programs and is only published elsewhere.
#   tests/dotnet_windows/run.sh [WIN64_BUILD [WIN32_BUILD]]
#       defaults build-win64 and build-windows; BUILD_DIR (default build) is
#       the Linux build the packages also need. Work folder: WIN64_BUILD/dotnet-windows.
set -euo pipefail
cd "$(dirname "$0")/../.."
start=$SECONDS
win64=$(realpath "${1:-build-win64}")
win32=$(realpath -m "${2:-build-windows}")
work=$win64/dotnet-windows
mkdir -p "$work"

# pack.sh adds win-x86 when the 32-bit build has both DLLs.
with_x86=0
[ -f "$win32/bin/VelmoKivWrapper.dll" ] && [ -f "$win32/bin/velmo_kiv_sdk.dll" ] && with_x86=1
# Without the 32-bit build the packages are development ones, and say so.
[ "$with_x86" = 1 ] || export VELMO_PACK_LINUX_ONLY=1
WINDOWS_X64_BUILD_DIR=$win64 WINDOWS_BUILD_DIR=$win32 \
  bindings/dotnet/test-package.sh "$work" tests/dotnet_windows/Program.cs win-x64 win-x86
exe=PackageConsumer.exe  # the shared consumer project's name

# The DLLs came from the packages into each program's folder, for its machine.
pe_machine() {
  [ -f "$1" ] || { echo "missing"; return; }
  python3 -c 'import struct, sys
d = open(sys.argv[1], "rb").read(4096)
o = struct.unpack_from("<I", d, 0x3c)[0]
print({0x14c: "x86", 0x8664: "x64"}.get(struct.unpack_from("<H", d, o + 4)[0], "other"))' "$1"
}
for dll in VelmoKivWrapper.dll velmo_kiv_sdk.dll; do
  machine=$(pe_machine "$work/publish/win-x64/$dll")
  [ "$machine" = x64 ] || { echo "FAIL: win-x64/$dll is $machine" >&2; exit 1; }
  [ "$with_x86" = 1 ] || continue
  machine=$(pe_machine "$work/publish/win-x86/$dll")
  [ "$machine" = x86 ] || { echo "FAIL: win-x86/$dll is $machine" >&2; exit 1; }
done

# Wine in a prefix of this folder, as cmake/windows.cmake's wine-run does: one
# server for the run with Wine's background services started with their
# output going nowhere, and no crash debugger (a crash then ends the program
# with its exception code instead of 0). Stopped at the end. The prefix is
# made without Wine's mscoree (no offer to install Wine's own .NET), but the
# programs need it: Wine's loader maps the runtime's IL-only assemblies
# (System.Runtime.dll, ...) only with its built-in mscoree.dll present.
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all
# The program must find the packages' library, not an override from here.
unset VELMO_KIV_LIBRARY
trap 'wineserver -k 2>/dev/null || true' EXIT
mkdir -p "$WINEPREFIX"
wineserver -p60 2>/dev/null || true  # one may be up from an earlier run
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
wine wineboot --init </dev/null >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
  /v Debugger /t REG_SZ /d '' /f </dev/null >/dev/null 2>&1
export WINEDLLOVERRIDES='mshtml=;winemenubuilder.exe=d'

# Runs one published program; its output goes to $work/<rid>.out. Wine itself
# sometimes dies of SIGSEGV ending a process that still has a thread-pool
# timer (docs/windows.md); as wine-run does, only that ending is run again,
# at most twice. A hang fails on the time limit.
run_program() {  # <rid> <architecture>
  local out=$work/$1.out status attempt=1 t0
  while :; do
    t0=$EPOCHREALTIME
    status=0
    timeout 300 wine "$work/publish/$1/$exe" "$2" </dev/null >"$out" 2>&1 || status=$?
    [ "$status" -eq 139 ] && [ "$attempt" -lt 3 ] || break
    echo "== Wine crashed (SIGSEGV) ending the $1 program, run $attempt; running it again"
    attempt=$((attempt + 1))
  done
  elapsed=$(awk "BEGIN { print $EPOCHREALTIME - $t0 }")
  return "$status"
}

# Shows the program's own lines, without the library's log lines, or all of
# them when it failed; fails unless it ended with 0 after its last line.
judge() {  # <rid>
  local out=$work/$1.out
  if [ "$status" -eq 0 ] && grep -aq "^exiting with engines open" "$out"; then
    grep -av '^\[[0-9]\{4\}-' "$out"
    printf '== %s program: exit code 0 after %.1f s under Wine (output: %s)\n' "$1" "$elapsed" "$out"
  else
    cat "$out"
    printf '== FAIL: the %s program under Wine: exit code %d after %.1f s\n' "$1" "$status" "$elapsed" >&2
    exit 1
  fi
}

echo "== running the win-x64 program under Wine"
status=0
run_program win-x64 x64 || status=$?
judge win-x64

if [ "$with_x86" = 0 ]; then
  echo "== win-x86 program published without the DLLs (none in $win32/bin): NOT run"
else
  echo "== running the win-x86 program under Wine"
  status=0
  run_program win-x86 x86 || status=$?
  if ! grep -aq "^started: " "$work/win-x86.out"; then
    # It never printed its first line: Wine could not start it ("Exec format
    # error", no 32-bit part, or, as on some machines, nothing and status 0).
    sed 's/^/   /' "$work/win-x86.out" | head -n 5
    echo "== win-x86 program published but NOT run: Wine started no 32-bit program here (status $status)"
  else
    judge win-x86
  fi
fi
echo "== .NET on Windows passed in $((SECONDS - start)) s"
