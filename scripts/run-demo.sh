#!/usr/bin/env bash
# Runs the demo host against the built library and the loopback SDK.
set -euo pipefail
BUILD_DIR=${1:-build}
export LD_LIBRARY_PATH="$BUILD_DIR:$BUILD_DIR/loopback_sdk${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
exec "$BUILD_DIR/tools/minimal_host"
