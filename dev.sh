#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   ./dev.sh demo    install what is missing, build, run the demo on the loopback SDK
#   ./dev.sh test    install what is missing, build, run every test suite
set -euo pipefail
cd "$(dirname "$0")"

BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}

source scripts/packages.sh
install_packages() { packages_install build test redis; }

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
