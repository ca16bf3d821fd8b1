#!/usr/bin/env bash
# Runs a command with a private redis-server on a free port of 127.0.0.1 and
# VELMO_KIV_LOOPBACK_REDIS pointing at it, so the stand-in SDK uses its Redis
# backend; the server is stopped when the command ends. The server is started
# by the build's with_redis, the same starter the tests use (built here when
# missing).
#   [BUILD_DIR=build] scripts/with-redis.sh COMMAND [ARGS...]
set -euo pipefail
build=${BUILD_DIR:-$(dirname "$0")/../build}
program=$build/tests/e2e/with_redis
[ -x "$program" ] || cmake --build "$build" --target with_redis >/dev/null
exec "$program" "$@"
