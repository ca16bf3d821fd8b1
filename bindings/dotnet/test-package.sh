#!/usr/bin/env bash
# Packs the binding, then builds a fresh project that takes it from the local
# package folder alone (own package cache, so no stale copy).
#   bindings/dotnet/test-package.sh
#       runs tests/PackageConsumer here (feed $BUILD_DIR/nuget)
#   bindings/dotnet/test-package.sh WORK PROGRAM RID...
#       the same project with PROGRAM (a Program.cs) in place of the consumer's,
#       published self-contained for each RID into WORK/publish/<RID>, not run
#       (feed WORK/nuget; tests/dotnet_windows/run.sh runs them under Wine)
# pack.sh's variables (WINDOWS_BUILD_DIR, WINDOWS_X64_BUILD_DIR,
# VELMO_PACK_LINUX_ONLY) pass through.
set -euo pipefail
if [ $# -gt 0 ]; then
  [ $# -ge 3 ] || { echo "usage: $0 [WORK PROGRAM RID...]" >&2; exit 2; }
  WORK=$(realpath -m "$1") PROGRAM=$(realpath "$2")
  shift 2
fi
cd "$(dirname "$0")/../.."
BUILD_DIR=$(cd "${BUILD_DIR:-build}" && pwd)
export BUILD_DIR DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1
# The native library must come from the package, not from an override.
unset VELMO_KIV_LIBRARY
CONSUMER=bindings/dotnet/tests/PackageConsumer
if [ $# -eq 0 ]; then
  FEED=$BUILD_DIR/nuget
  PROJECT=$BUILD_DIR/package-consumer
  PROGRAM=$CONSUMER/Program.cs
else
  FEED=$WORK/nuget
  PROJECT=$WORK/project
  rm -rf "$WORK/publish"
fi
bindings/dotnet/pack.sh "$FEED"
rm -rf "$PROJECT" && mkdir -p "$PROJECT"
cp "$CONSUMER/PackageConsumer.csproj" "$PROJECT/"
cp "$PROGRAM" "$PROJECT/Program.cs"
cat > "$PROJECT/nuget.config" <<XML
<?xml version="1.0" encoding="utf-8"?>
<configuration>
  <packageSources>
    <add key="local" value="$FEED" />
  </packageSources>
</configuration>
XML
version=$(sed -n 's:.*<Version>\(.*\)</Version>.*:\1:p' bindings/dotnet/Directory.Build.props)
cd "$PROJECT"
export NUGET_PACKAGES="$PROJECT/packages"
if [ $# -eq 0 ]; then
  dotnet run -c Release -p:VelmoKivVersion="$version" -v quiet
fi
for rid in "$@"; do
  echo "== publishing for $rid"
  dotnet publish -c Release -r "$rid" --self-contained -p:VelmoKivVersion="$version" \
    -o "$WORK/publish/$rid" --nologo -v quiet
done
