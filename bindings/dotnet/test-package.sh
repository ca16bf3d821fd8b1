#!/usr/bin/env bash
# Packs the binding, then builds and runs a fresh project that takes it from
# the local package folder alone (own package cache, so no stale copy).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=$(cd "${BUILD_DIR:-build}" && pwd)
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1
# The native library must come from the package, not from an override.
unset VELMO_KIV_LIBRARY
FEED=$BUILD_DIR/nuget
bindings/dotnet/pack.sh "$FEED"
WORK=$BUILD_DIR/package-consumer
rm -rf "$WORK" && mkdir -p "$WORK"
cp bindings/dotnet/tests/PackageConsumer/PackageConsumer.csproj bindings/dotnet/tests/PackageConsumer/Program.cs "$WORK/"
cat > "$WORK/nuget.config" <<XML
<?xml version="1.0" encoding="utf-8"?>
<configuration>
  <packageSources>
    <add key="local" value="$FEED" />
  </packageSources>
</configuration>
XML
version=$(sed -n 's:.*<Version>\(.*\)</Version>.*:\1:p' bindings/dotnet/Directory.Build.props)
cd "$WORK"
NUGET_PACKAGES="$WORK/packages" dotnet run -c Release -p:VelmoKivVersion="$version" -v quiet
