#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   ./dev.sh demo    install what is missing, build, run the demo on the loopback SDK
#   ./dev.sh test    install what is missing, build, run every test suite
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

install_packages() {
  local wanted=(cmake g++ make pkg-config git nlohmann-json3-dev libspdlog-dev libfmt-dev
                libgtest-dev libgmock-dev libbenchmark-dev python3 python3-pytest python3-venv
                libedit-dev redis-server libhiredis-dev
                clang libclang-rt-14-dev
                g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix)
  local missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing ${missing[*]}"
    # An index of the archive that fails to download must not stop an
    # install whose packages are all still there; the install decides.
    as_root apt-get update -qq || echo "== apt-get update failed for some index; installing anyway"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
  fi
}

build() {
  cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$BUILD_DIR" -j "$JOBS"
}

case "${1:-}" in
  demo)
    install_packages
    build
    exec scripts/run-demo.sh "$BUILD_DIR"
    ;;
  test)
    install_packages
    command -v node >/dev/null ||
      echo "== node not found: the Node.js binding's tests are skipped (install nodejs and npm)"
    build
    if ! command -v dotnet >/dev/null; then
      echo "== dotnet not found: the .NET binding's tests (bindings/dotnet) are NOT run;" \
           "install the .NET SDK to run them"
    fi
    cd "$BUILD_DIR" && ctest --output-on-failure -j "$JOBS"
    ;;
  *)
    echo "usage: $0 demo|test" >&2
    exit 2
    ;;
esac
