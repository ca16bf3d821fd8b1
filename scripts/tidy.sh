#!/usr/bin/env bash
# clang-tidy (.clang-tidy's checks) on the library's own sources: src/ and
# common/, with the headers of src/, include/ and common/ they include. Any
# finding fails the run.
#   scripts/tidy.sh    BUILD_DIR (default build-tidy: configured only, for its
#                      compile commands), JOBS (default nproc)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build-tidy}
JOBS=${JOBS:-$(nproc)}
command -v run-clang-tidy-14 >/dev/null ||
  { echo "run-clang-tidy-14 not found (Debian: clang-tidy-14)" >&2; exit 1; }

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DVELMO_BUILD_TESTS=OFF -DVELMO_BUILD_BENCHMARKS=OFF >/dev/null
mapfile -t sources < <(find "$PWD/src" "$PWD/common" -name '*.cpp' | sort)
echo "== clang-tidy on ${#sources[@]} sources"
run-clang-tidy-14 -quiet -p "$dir" -j "$JOBS" "${sources[@]}"
