#!/usr/bin/env bash
# Everything of the .NET binding against the build in BUILD_DIR (default build):
# the xunit suite, the packed packages in a fresh project, and the chat sample.
set -euo pipefail
cd "$(dirname "$0")/../.."
export BUILD_DIR=$(cd "${BUILD_DIR:-build}" && pwd)
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1
export VELMO_KIV_LIBRARY=$BUILD_DIR/libVelmoKivWrapper.so
echo "== xunit"
dotnet test bindings/dotnet/tests/VelmoKiv.Tests -c Release -p:VelmoNativeDir="$BUILD_DIR" --nologo
echo "== package consumed by a fresh project"
# Development runs have no Windows build: say so explicitly.
VELMO_PACK_LINUX_ONLY=1 bindings/dotnet/test-package.sh
echo "== sample"
samples/dotnet-chat/run.sh | tee "$BUILD_DIR/dotnet-chat.out"
grep -q "bob: hello alice" "$BUILD_DIR/dotnet-chat.out"
