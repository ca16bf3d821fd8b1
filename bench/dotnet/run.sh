#!/usr/bin/env bash
# Events per second into C# handlers against a plain C host, in one run:
#   bench/dotnet/run.sh [N=10000] [ROUNDS=3] [BYTES=64]
# Needs the library built in $BUILD_DIR (default build). Prints each round and
# the best rate of each host with their ratios: with the C# host publishing
# through the binding, and with the C host's publisher loaded into the C#
# process (only the handlers differ from the C host's run).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD_DIR=$(cd "${BUILD_DIR:-build}" && pwd)
N=${1:-10000}
ROUNDS=${2:-3}
BYTES=${3:-64}
export DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1
export VELMO_KIV_LIBRARY=$BUILD_DIR/libVelmoKivWrapper.so
export VELMO_KIV_C_SENDER=$BUILD_DIR/bench/c_event_rate/libc_event_sender.so
# The C host the Node.js benchmark also compares with, and its publisher.
cmake --build "$BUILD_DIR" --target c_event_rate c_event_sender >/dev/null
dotnet build bench/dotnet/EventRate -c Release -v quiet --nologo >/dev/null
best() { sort -t= -k2 -n | tail -1 | sed 's/.*= \([0-9]*\) events.*/\1/'; }
c_runs=() ; net_runs=() ; handler_runs=()
for _ in $(seq "$ROUNDS"); do
  rate=$("$BUILD_DIR/bench/c_event_rate/c_event_rate" "$N" "$BYTES" | tail -1 | sed 's/.*"rate":\([0-9]*\).*/\1/')
  c_runs+=("c host: $N message events = $rate events/s")
  out=$(dotnet bench/dotnet/EventRate/bin/Release/net10.0/EventRate.dll "$N" "$BYTES")
  net_runs+=("$(grep 'dotnet host' <<<"$out")")
  handler_runs+=("$(grep 'C publisher' <<<"$out")")
done
printf '%s\n' "${c_runs[@]}" "${net_runs[@]}" "${handler_runs[@]}"
c=$(printf '%s\n' "${c_runs[@]}" | best)
net=$(printf '%s\n' "${net_runs[@]}" | best)
handlers=$(printf '%s\n' "${handler_runs[@]}" | best)
awk -v c="$c" -v n="$net" -v h="$handlers" 'BEGIN {
  printf "best: c host %d events/s, dotnet host %d events/s, ratio %.2f (goal >= 0.70)\n", c, n, n / c
  printf "best: dotnet handlers with the C publisher %d events/s, ratio %.2f (goal >= 0.70)\n", h, h / c }'
