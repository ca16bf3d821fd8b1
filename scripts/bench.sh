#!/usr/bin/env bash
# Builds the benchmarks in a Release folder, runs every one of them with
# repetitions (interleaved at random, so the library and its floors see the
# same machine load), and reports the medians, the ratios against the floors
# and the scaling figures.
#
#   scripts/bench.sh                      everything, 7 repetitions
#   REPETITIONS=3 FILTER='^call/' scripts/bench.sh
#
# Output in $BUILD_DIR/bench-results/: results.json (every repetition and the
# aggregates), console.txt, conditions.txt and report.md (the tables of
# docs/performance.md). Timing never fails the script; a benchmark whose
# library call fails does.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build-bench}
REPETITIONS=${REPETITIONS:-7}
MIN_TIME=${MIN_TIME:-0.2}
FILTER=${FILTER:-.}
JOBS=${JOBS:-2}
OUT=$BUILD_DIR/bench-results

cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DVELMO_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$BUILD_DIR" --target velmo_bench -j "$JOBS"

mkdir -p "$OUT"
rm -rf "$OUT/work"
{
  echo "date:        $(date -u '+%Y-%m-%d %H:%M:%S UTC')"
  echo "machine:     $(uname -srm), $(nproc) cores," \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')," \
    "$(free -g | awk '/^Mem:/ {print $2}') GiB"
  echo "compiler:    $(${CXX:-c++} --version | head -n1)"
  echo "command:     scripts/bench.sh (REPETITIONS=$REPETITIONS MIN_TIME=$MIN_TIME FILTER=$FILTER)"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
} >"$OUT/conditions.txt"

VELMO_BENCH_DIR="$OUT/work" "$BUILD_DIR/bench/velmo_bench" \
  --benchmark_filter="$FILTER" \
  --benchmark_repetitions="$REPETITIONS" \
  --benchmark_min_time="$MIN_TIME" \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$OUT/results.json" --benchmark_out_format=json | tee "$OUT/console.txt"

echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)" >>"$OUT/conditions.txt"
python3 "$ROOT/bench/report.py" "$OUT/results.json" --conditions "$OUT/conditions.txt" \
  | tee "$OUT/report.md"
echo "report: $OUT/report.md"
