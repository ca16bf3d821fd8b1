#!/usr/bin/env bash
# Two processes chat through the stand-in's Redis backend: the shell as alice
# in one, as bob in another, each checking the other's payload bytes.
#   scripts/redis-chat.sh [BUILD_DIR]
# Uses the Redis named by VELMO_KIV_LOOPBACK_REDIS, or starts a private
# redis-server on a free port of 127.0.0.1 and stops it at the end.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=$(cd "${1:-build}" && pwd)
export LD_LIBRARY_PATH="$BUILD_DIR:$BUILD_DIR/loopback_sdk${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
# Without a server named, run again beside a private one.
[ -n "${VELMO_KIV_LOOPBACK_REDIS:-}" ] || BUILD_DIR="$BUILD_DIR" exec "$ROOT/scripts/with-redis.sh" "$0" "$BUILD_DIR"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

kivsh() { "$BUILD_DIR/kivsh" --library-output null "$@"; }
kivsh "$ROOT/demo/redis-alice.kiv" > "$WORK/alice.out" 2>&1 &
alice_pid=$!
# Bob starts once Alice is in the lobby, so his bytes cannot miss her.
for _ in $(seq 300); do
  grep -q "alice is in the lobby" "$WORK/alice.out" && break
  kill -0 "$alice_pid" 2>/dev/null || break
  sleep 0.1
done
bob_status=0
kivsh "$ROOT/demo/redis-bob.kiv" > "$WORK/bob.out" 2>&1 || bob_status=$?
alice_status=0
wait "$alice_pid" || alice_status=$?
echo "== alice (process $alice_pid)"; cat "$WORK/alice.out"
echo "== bob (another process)"; cat "$WORK/bob.out"
if [ "$alice_status" -ne 0 ] || [ "$bob_status" -ne 0 ]; then
  echo "== chat failed: alice exited $alice_status, bob $bob_status" >&2
  exit 1
fi
echo "== both processes received the other's payload bytes unchanged"
