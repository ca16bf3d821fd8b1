#!/usr/bin/env bash
# Builds the npm package: the native parts of each platform built here go to
# prebuilds/<platform>-<arch>/, then npm pack writes the tarball.
#   scripts/pack.sh LINUX_BUILD [WINDOWS_BUILD]    prints the tarball's path
# LINUX_BUILD and WINDOWS_BUILD are CMake build folders of the repository (the
# second from scripts/windows-test.sh: the 32-bit Windows DLLs).
set -euo pipefail
PACKAGE=$(cd "$(dirname "$0")/.." && pwd)
LINUX_BUILD=$(cd "$1" && pwd)
WINDOWS_BUILD=${2:-}

stage() { # folder, files...
  local folder=$PACKAGE/prebuilds/$1
  shift
  mkdir -p "$folder"
  for file in "$@"; do
    [ -f "$file" ] || { echo "missing $file" >&2; exit 1; }
    cp -L "$file" "$folder/"
  done
}

rm -rf "$PACKAGE/prebuilds"
# The SDK under its soname, the name the wrapper asks for.
sdk=$(readlink -f "$LINUX_BUILD/loopback_sdk/libvelmo_kiv_sdk.so")
soname=$(objdump -p "$sdk" | awk '/SONAME/ {print $2}')
stage linux-x64 "$LINUX_BUILD/libVelmoKivWrapper.so" "$LINUX_BUILD/bindings/node/libVelmoKivNodeQueue.so"
cp -L "$sdk" "$PACKAGE/prebuilds/linux-x64/$soname"
if [ -n "$WINDOWS_BUILD" ]; then
  # The Windows build puts every DLL and program into bin/.
  stage win32-ia32 "$WINDOWS_BUILD/bin/VelmoKivWrapper.dll" "$WINDOWS_BUILD/bin/velmo_kiv_sdk.dll" \
    "$WINDOWS_BUILD/bin/VelmoKivNodeQueue.dll"
else
  echo "no Windows build given: the package holds linux-x64 only" >&2
fi
# Debugging information stays in the build folders.
strip --strip-debug "$PACKAGE"/prebuilds/linux-x64/*
if [ -d "$PACKAGE/prebuilds/win32-ia32" ] && command -v i686-w64-mingw32-strip >/dev/null; then
  i686-w64-mingw32-strip --strip-debug "$PACKAGE"/prebuilds/win32-ia32/*
fi
cd "$PACKAGE"
tarball=$(npm pack --silent)
echo "$PACKAGE/$tarball"
