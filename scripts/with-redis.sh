#!/usr/bin/env bash
# Runs a command with a private redis-server on a free port of 127.0.0.1 and
# VELMO_KIV_LOOPBACK_REDIS pointing at it, so the stand-in SDK uses its Redis
# backend; the server is stopped when the command ends.
#   scripts/with-redis.sh COMMAND [ARGS...]
set -euo pipefail
command -v redis-server >/dev/null ||
  { echo "redis-server not found (Debian: apt-get install redis-server)" >&2; exit 1; }
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
redis-server "$(dirname "$0")/private-redis.conf" --port "$port" >/dev/null &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  redis-cli -p "$port" ping >/dev/null 2>&1 && break
  sleep 0.05
done
export VELMO_KIV_LOOPBACK_REDIS="127.0.0.1:$port"
echo "== redis-server on $VELMO_KIV_LOOPBACK_REDIS for: $*" >&2
status=0
"$@" || status=$?
exit "$status"
