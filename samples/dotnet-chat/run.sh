#!/usr/bin/env bash
# Runs the chat sample on the loopback SDK of the repository's build:
#   samples/dotnet-chat/run.sh        (builds build/ first when it is missing)
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=${BUILD_DIR:-build}
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1
if [ ! -e "$BUILD_DIR/libVelmoKivWrapper.so" ]; then
  cmake -S . -B "$BUILD_DIR" -DVELMO_BUILD_TESTS=OFF -DVELMO_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$BUILD_DIR" -j "${JOBS:-2}" --target VelmoKivWrapper
fi
export VELMO_KIV_LIBRARY=$(cd "$BUILD_DIR" && pwd)/libVelmoKivWrapper.so
exec dotnet run --project samples/dotnet-chat -c Release -v quiet
