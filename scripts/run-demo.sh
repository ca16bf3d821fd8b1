#!/usr/bin/env bash
# Runs the demo script with the shell (kivsh) on the built library and the
# loopback SDK: two users chat, share metadata, contend for a lock, look at
# presence and history, and meet in a stream channel.
#   scripts/run-demo.sh [BUILD_DIR] [kivsh options...]   e.g. --json
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=$(cd "${1:-build}" && pwd)
shift || true
export LD_LIBRARY_PATH="$BUILD_DIR:$BUILD_DIR/loopback_sdk${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

# The library also writes its own log lines to standard output; they are
# kept apart so the story stays readable.
LIBRARY_LINES="$BUILD_DIR/demo-library-output.log"
: > "$LIBRARY_LINES"
echo "(the library's own log lines go to $LIBRARY_LINES)"
exec "$BUILD_DIR/kivsh" --library-output "$LIBRARY_LINES" "$@" "$ROOT/demo/two-users.kiv"
