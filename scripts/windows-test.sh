#!/usr/bin/env bash
# The 32-bit Windows build, checked on this Linux machine: installs the
# mingw-w64 cross compiler and Wine when missing, cross-builds the two DLLs,
# the test programs and the host tools, and runs every test under Wine in a
# fresh prefix inside the build folder. docs/windows.md describes the checks.
#   scripts/windows-test.sh          BUILD_DIR (default build-windows), JOBS (default nproc)
#   scripts/windows-test.sh --dlls-from dist/VelmoKivWrapper-<version>-win32.zip
#       the same, with the two DLLs of that release archive in place of the
#       built ones, so that what ships is what the tests load
#   scripts/windows-test.sh --install-only
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
JOBS=${JOBS:-$(nproc)}

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

install_packages() {
  local wanted=(cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
                binutils-mingw-w64-i686 wine wine32:i386 googletest llvm unzip
                nlohmann-json3-dev libspdlog-dev libfmt-dev)
  local missing=()
  for p in "${wanted[@]}"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return
  # Wine runs 32-bit programs with the i386 build of its libraries.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  echo "== installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

install_packages
[ "$install_only" = 1 ] && exit 0

# Some kernels (a few virtual machines among them) cannot start 32-bit
# programs at all, so Wine cannot either. There everything is still
# cross-built (test discovery moves to test time), but nothing can run;
# VELMO_REQUIRE_WINE=1 makes that a failure.
can_run=1
if ! wine_says=$(wine --version 2>&1); then
  if grep -q "Exec format error" <<<"$wine_says"; then
    can_run=0
  else
    echo "$wine_says" >&2
    echo "== Wine does not start" >&2
    exit 1
  fi
fi
discovery=()
[ "$can_run" = 1 ] || discovery=(-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST)

echo "== configuring $BUILD_DIR for i686-w64-mingw32"
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/i686-w64-mingw32.cmake" "${discovery[@]}" >/dev/null

if [ "$can_run" = 0 ]; then
  echo "== this kernel cannot run 32-bit programs (wine: Exec format error):" \
       "building the Windows DLLs and tests without running them"
  cmake --build "$BUILD_DIR" -j "$JOBS"
  echo "== Windows tests built but NOT run on this machine"
  [ "${VELMO_REQUIRE_WINE:-0}" = 1 ] && exit 1
  exit 0
fi

# A fresh prefix each run, made before the build in case a build step starts
# a Windows program. wine-run (written by the configure step) sets it up and
# keeps one Wine server up for the run; it is stopped at the end.
export WINEPREFIX="$(cd "$BUILD_DIR" && pwd)/wineprefix"
stop_wine() { [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null || true; }
stop_wine
rm -rf "$WINEPREFIX"
trap stop_wine EXIT
echo "== creating the Wine prefix $WINEPREFIX"
"$BUILD_DIR/wine-run" cmd /c exit >/dev/null

echo "== building"
cmake --build "$BUILD_DIR" -j "$JOBS"

if [ -n "$dlls_from" ]; then
  # The archive's DLLs go where the built ones were: every test program and
  # check in bin/ then loads or reads them.
  shipped="$BUILD_DIR/shipped"
  rm -rf "$shipped" && mkdir -p "$shipped"
  unzip -q "$dlls_from" -d "$shipped"
  echo "== testing the DLLs of $(basename "$dlls_from")"
  cp "$shipped"/*/bin/VelmoKivWrapper.dll "$shipped"/*/loopback/velmo_kiv_sdk.dll "$BUILD_DIR/bin/"
fi

echo "== testing under Wine"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS"
