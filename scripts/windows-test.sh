#!/usr/bin/env bash
# The Windows builds, checked on this Linux machine: installs what is
# missing, cross-builds the DLLs, the test programs, the MSVC-ABI test
# partners and the host tools for 32- and 64-bit Windows, and runs every test
# under Wine, each build in a fresh prefix inside its build folder.
# docs/windows.md describes the checks.
#
# The 32-bit build is the shipped one. Where no 32-bit Wine starts, it is
# cross-built and link-checked, and only its checks that read the DLLs run; the 64-bit build, a test vehicle
# that is not shipped, runs its whole suite under Wine's 64-bit loader on
# every machine. The script fails when no Windows suite ran at all.
#   scripts/windows-test.sh      BUILD_DIR (32-bit, default build-windows),
#                                BUILD_DIR_64 (default build-win64), JOBS (default nproc)
#   scripts/windows-test.sh --dlls-from dist/VelmoKivWrapper-<version>-win32.zip
#       the same, with the two DLLs of that release archive in place of the
#       built 32-bit ones, so that what ships is what the tests load
#   scripts/windows-test.sh --install-only
#   VELMO_INSTALL_WINE32=1       also install Wine's 32-bit part (adds the i386 architecture)
#   VELMO_REQUIRE_WIN32=1        fail when the 32-bit suite cannot run
set -euo pipefail
cd "$(dirname "$0")/.."

dlls_from=""
install_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --dlls-from) dlls_from=$(realpath "$2"); shift 2 ;;
    --install-only) install_only=1; shift ;;
    *) echo "usage: $0 [--dlls-from <win32 zip>] [--install-only]" >&2; exit 2 ;;
  esac
done

BUILD_DIR=${BUILD_DIR:-build-windows}
BUILD_DIR_64=${BUILD_DIR_64:-build-win64}
JOBS=${JOBS:-$(nproc)}

source scripts/packages.sh

# Wine runs 32-bit programs with its i386 part, which needs Debian's i386
# architecture. Some machines cannot start a 32-bit Wine at all (it fails with
# "Exec format error"), and there an i386 package index out of step with the
# archive also breaks apt-get update. So the i386 part is installed only when
# asked for (VELMO_INSTALL_WINE32=1); the 32-bit suite runs wherever it is
# installed and its loader starts.
wine32_starts() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }

install_packages() {
  local extra=()
  if [ "${VELMO_INSTALL_WINE32:-0}" = 1 ] && ! package_installed wine32:i386; then
    extra+=(wine32:i386)
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  fi
  packages_install --no-install-recommends build windows wine -- "${extra[@]}"
}

install_packages
[ "$install_only" = 1 ] && exit 0
win32_runs=0
wine32_starts && win32_runs=1

# configure <folder> <toolchain file> [cmake options...]
configure() {
  local dir=$1 toolchain=$2; shift 2
  echo "== configuring $dir for $(basename "$toolchain" .cmake)"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/$toolchain" "$@" >/dev/null
}

# A fresh prefix for a build, made before its build in case a build step
# starts a Windows program. wine-run (written by the configure step) sets it
# up and keeps one Wine server up for the run; all are stopped at the end.
prefixes=()
stop_wine() {
  local prefix
  for prefix in "${prefixes[@]}"; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
}
trap stop_wine EXIT
fresh_prefix() {
  local dir=$1 prefix
  prefix="$(cd "$dir" && pwd)/wineprefix"
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
  prefixes+=("$prefix")
  echo "== creating the Wine prefix $prefix"
  "$dir/wine-run" cmd /c exit >/dev/null
}

# The 32-bit build. Where it cannot run, test discovery moves to test time
# so that nothing 32-bit starts while building.
discovery=()
[ "$win32_runs" = 1 ] || discovery=(-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST)
configure "$BUILD_DIR" i686-w64-mingw32.cmake "${discovery[@]}"
[ "$win32_runs" = 1 ] && fresh_prefix "$BUILD_DIR"
echo "== building $BUILD_DIR"
if [ "$win32_runs" = 1 ]; then
  cmake --build "$BUILD_DIR" -j "$JOBS"
else
  # Nothing of it can run: the DLLs and the Windows suite's own programs are
  # built and linked; the unit tests run in the 64-bit build and natively.
  cmake --build "$BUILD_DIR" -j "$JOBS" --target windows_suite
fi
if [ -n "$dlls_from" ]; then
  # The archive's DLLs go where the built ones were: every test program and
  # check in bin/ then loads or reads them.
  shipped="$BUILD_DIR/shipped"
  rm -rf "$shipped" && mkdir -p "$shipped"
  unzip -q "$dlls_from" -d "$shipped"
  echo "== testing the DLLs of $(basename "$dlls_from")"
  cp "$shipped"/*/bin/VelmoKivWrapper.dll "$shipped"/*/loopback/velmo_kiv_sdk.dll "$BUILD_DIR/bin/"
fi
if [ "$win32_runs" = 1 ]; then
  echo "== 32-bit suite under Wine"
  ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS"
else
  echo "== no 32-bit Wine here (VELMO_INSTALL_WINE32=1 installs it where it can start):" \
       "the 32-bit build is cross-built and linked; only its checks that read the DLLs run"
  ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS" -R '^windows_dll_'
  if [ "${VELMO_REQUIRE_WIN32:-0}" = 1 ]; then
    echo "== VELMO_REQUIRE_WIN32=1: failing, the 32-bit suite did not run" >&2
    exit 1
  fi
fi

# The 64-bit build and its whole suite, under Wine's 64-bit loader.
configure "$BUILD_DIR_64" x86_64-w64-mingw32.cmake
fresh_prefix "$BUILD_DIR_64"
echo "== building $BUILD_DIR_64"
cmake --build "$BUILD_DIR_64" -j "$JOBS"
echo "== 64-bit suite under Wine"
ctest --test-dir "$BUILD_DIR_64" --output-on-failure -j "$JOBS"
tests_run=$(ctest --test-dir "$BUILD_DIR_64" -N | sed -n 's/^Total Tests: //p')
[ "${tests_run:-0}" -gt 0 ] || { echo "== no 64-bit Windows test ran" >&2; exit 1; }
if [ "$win32_runs" = 1 ]; then
  echo "== Windows suites run: 32-bit and 64-bit"
else
  echo "== Windows suites run: 64-bit ($tests_run tests); 32-bit built, not run on this machine"
fi
