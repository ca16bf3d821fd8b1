#!/usr/bin/env bash
# libFuzzer runs of the three fuzz targets (call path, event path, record readers).
#   scripts/fuzz.sh            build, replay the seed corpora, then fuzz each target 60 s
#   scripts/fuzz.sh SECONDS    the same with SECONDS per target (a longer run)
# Any crash, leak, sanitizer report, time-out or memory blow-up fails the run;
# the reproducer lands in $BUILD_DIR/findings/ (replay it with
# $BUILD_DIR/fuzz/fuzz_<target> <file>). New inputs collect in
# $BUILD_DIR/corpus/<target>/; the seeds in fuzz/corpus/<target>/ are not changed.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
seconds=${1:-60}
dir=${BUILD_DIR:-build-fuzz}
targets=(call_path event_path record_readers)

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMO_BUILD_FUZZERS=ON -DVELMO_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$JOBS" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The library log of the runs goes here, not into the user's state folder.
case "$dir" in /*) export VELMO_FUZZ_LOG_DIR="$dir/log" ;; *) export VELMO_FUZZ_LOG_DIR="$PWD/$dir/log" ;; esac
mkdir -p "$dir/findings" "$VELMO_FUZZ_LOG_DIR"

# -close_fd_mask=1: the library also logs to standard output; keep only errors.
common=(-timeout=10 -rss_limit_mb=2048 -max_len=16384 -close_fd_mask=1
        -artifact_prefix="$dir/findings/" -print_final_stats=1)
summary="$dir/fuzz-summary.txt"
: >"$summary"

for target in "${targets[@]}"; do
  binary="$dir/fuzz/fuzz_$target"
  seeds="fuzz/corpus/$target"
  work="$dir/corpus/$target"
  mkdir -p "$work"

  echo "== $target: replaying $(ls "$seeds" | wc -l) seeds"
  "$binary" "${common[@]}" -runs=0 "$seeds" 2>"$dir/$target-replay.log" ||
    { tail -n 60 "$dir/$target-replay.log"; exit 1; }

  echo "== $target: fuzzing for ${seconds}s"
  "$binary" "${common[@]}" -max_total_time="$seconds" "$work" "$seeds" 2>"$dir/$target.log" ||
    { tail -n 80 "$dir/$target.log"; exit 1; }
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/$target.log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$dir/$target.log" | tail -n 1 | cut -d' ' -f2)
  printf '%-15s %4ss  %10s executions  coverage %s edges  corpus %s\n' \
    "$target" "$seconds" "${runs:-?}" "${cov:-?}" "$(ls "$work" | wc -l)" | tee -a "$summary"
done
echo "== no findings"
