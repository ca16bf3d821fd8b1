#!/usr/bin/env bash
# Packs VelmoKiv (the binding with the native wrapper) and VelmoKiv.Loopback
# (the stand-in SDK) into OUT_DIR.
#   bindings/dotnet/pack.sh [OUT_DIR]     default: $BUILD_DIR/nuget
# BUILD_DIR (default build) is the Linux build; WINDOWS_BUILD_DIR (default
# build-windows, made by scripts/windows-test.sh) gives the win-x86 DLLs, which
# the product needs: without them pack.sh refuses, unless VELMO_PACK_LINUX_ONLY=1
# asks for a Linux-only development package. The Linux libraries are packed
# without their debug information (objcopy --strip-debug), whatever the build type.
# WINDOWS_X64_BUILD_DIR (unset by default) adds win-x64 from a 64-bit Windows
# build: a test vehicle for tests/dotnet_windows/run.sh, never shipped.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
BUILD_DIR=$(cd "${BUILD_DIR:-build}" && pwd)
WINDOWS_BUILD_DIR=${WINDOWS_BUILD_DIR:-build-windows}
OUT_DIR=$(mkdir -p "${1:-$BUILD_DIR/nuget}" && cd "${1:-$BUILD_DIR/nuget}" && pwd)
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1

STAGE=$OUT_DIR/stage
rm -rf "$STAGE" && mkdir -p "$STAGE"
# The installed form finds the stand-in SDK beside itself ($ORIGIN) once both
# sit in one runtimes folder; the stand-in is installed as its own component.
cmake --install "$BUILD_DIR" --prefix "$STAGE/install" >/dev/null
cmake --install "$BUILD_DIR" --prefix "$STAGE/install" --component loopback >/dev/null
lib=$STAGE/install/lib
sdk_soname=$(readelf -d "$lib/libVelmoKivWrapper.so" | sed -n 's/.*NEEDED.*\[\(libvelmo_kiv_sdk[^]]*\)\]/\1/p')
sdk_file=$(find "$STAGE/install" -name "$sdk_soname" | head -n 1)
mkdir -p "$STAGE/wrapper/runtimes/linux-x64/native" "$STAGE/loopback/runtimes/linux-x64/native"
objcopy --strip-debug "$lib/libVelmoKivWrapper.so" "$STAGE/wrapper/runtimes/linux-x64/native/libVelmoKivWrapper.so"
objcopy --strip-debug "$(realpath "$sdk_file")" "$STAGE/loopback/runtimes/linux-x64/native/$sdk_soname"

# A Windows build puts every DLL into its bin/ folder.
has_windows_dlls() { [ -f "$1/bin/VelmoKivWrapper.dll" ] && [ -f "$1/bin/velmo_kiv_sdk.dll" ]; }
stage_windows() {  # <rid> <build dir>
  mkdir -p "$STAGE/wrapper/runtimes/$1/native" "$STAGE/loopback/runtimes/$1/native"
  cp "$2/bin/VelmoKivWrapper.dll" "$STAGE/wrapper/runtimes/$1/native/"
  cp "$2/bin/velmo_kiv_sdk.dll" "$STAGE/loopback/runtimes/$1/native/"
  echo "== $1: $2/bin/VelmoKivWrapper.dll"
}
if has_windows_dlls "$WINDOWS_BUILD_DIR"; then
  stage_windows win-x86 "$WINDOWS_BUILD_DIR"
elif [ "${VELMO_PACK_LINUX_ONLY:-0}" = 1 ]; then
  echo "== win-x86 left out: a Linux-only development package (VELMO_PACK_LINUX_ONLY=1)"
else
  echo "== refused: no $WINDOWS_BUILD_DIR/bin/VelmoKivWrapper.dll or velmo_kiv_sdk.dll (run" \
       "scripts/windows-test.sh), and the product is the 32-bit Windows DLL; set" \
       "VELMO_PACK_LINUX_ONLY=1 for a Linux-only development package" >&2
  exit 1
fi
if [ -n "${WINDOWS_X64_BUILD_DIR:-}" ]; then
  has_windows_dlls "$WINDOWS_X64_BUILD_DIR" ||
    { echo "== win-x64 asked for, but $WINDOWS_X64_BUILD_DIR/bin lacks the DLLs" >&2; exit 1; }
  stage_windows win-x64 "$WINDOWS_X64_BUILD_DIR"
fi

dotnet pack bindings/dotnet/VelmoKiv/VelmoKiv.csproj -c Release -o "$OUT_DIR" \
  -p:VelmoNativeStage="$STAGE/wrapper" --nologo -v quiet
dotnet pack bindings/dotnet/VelmoKiv.Loopback/VelmoKiv.Loopback.csproj -c Release -o "$OUT_DIR" \
  -p:VelmoNativeStage="$STAGE/loopback" --nologo -v quiet
for p in "$OUT_DIR"/*.nupkg; do
  echo "== $(basename "$p"):"
  python3 -c 'import sys, zipfile; [print("   ", n) for n in zipfile.ZipFile(sys.argv[1]).namelist() if n.startswith(("lib/", "runtimes/"))]' "$p"
done
