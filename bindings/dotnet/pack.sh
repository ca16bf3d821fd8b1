#!/usr/bin/env bash
# Packs VelmoKiv (the binding with the native wrapper) and VelmoKiv.Loopback
# (the stand-in SDK) into OUT_DIR.
#   bindings/dotnet/pack.sh [OUT_DIR]     default: $BUILD_DIR/nuget
# BUILD_DIR (default build) is the Linux build; WINDOWS_BUILD_DIR (default
# build-windows, made by scripts/windows-test.sh) gives the win-x86 DLLs. A
# missing Windows build leaves win-x86 out of both packages and says so.
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
cp -L "$lib/libVelmoKivWrapper.so" "$STAGE/wrapper/runtimes/linux-x64/native/libVelmoKivWrapper.so"
cp -L "$sdk_file" "$STAGE/loopback/runtimes/linux-x64/native/$sdk_soname"

# The Windows build puts every DLL into its bin/ folder.
win_dll=$WINDOWS_BUILD_DIR/bin/VelmoKivWrapper.dll
win_sdk=$WINDOWS_BUILD_DIR/bin/velmo_kiv_sdk.dll
if [ -f "$win_dll" ] && [ -f "$win_sdk" ]; then
  mkdir -p "$STAGE/wrapper/runtimes/win-x86/native" "$STAGE/loopback/runtimes/win-x86/native"
  cp "$win_dll" "$STAGE/wrapper/runtimes/win-x86/native/VelmoKivWrapper.dll"
  cp "$win_sdk" "$STAGE/loopback/runtimes/win-x86/native/velmo_kiv_sdk.dll"
  echo "== win-x86: $win_dll"
else
  echo "== win-x86 MISSING: no $win_dll or $win_sdk (run scripts/windows-test.sh);" \
       "the packages carry linux-x64 only"
fi

dotnet pack bindings/dotnet/VelmoKiv/VelmoKiv.csproj -c Release -o "$OUT_DIR" \
  -p:VelmoNativeStage="$STAGE/wrapper" --nologo -v quiet
dotnet pack bindings/dotnet/VelmoKiv.Loopback/VelmoKiv.Loopback.csproj -c Release -o "$OUT_DIR" \
  -p:VelmoNativeStage="$STAGE/loopback" --nologo -v quiet
for p in "$OUT_DIR"/*.nupkg; do
  echo "== $(basename "$p"):"
  python3 -c 'import sys, zipfile; [print("   ", n) for n in zipfile.ZipFile(sys.argv[1]).namelist() if n.startswith(("lib/", "runtimes/"))]' "$p"
done
