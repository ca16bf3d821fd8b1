#!/usr/bin/env bash
# Sanitizer runs of the test suites, each in a build folder of its own.
#   scripts/sanitize.sh asan   whole suite under AddressSanitizer + UndefinedBehaviorSanitizer,
#                              LeakSanitizer included
#   scripts/sanitize.sh tsan   the concurrency tests under ThreadSanitizer
# Any report fails the run: nothing recovers. BUILD_DIR and JOBS override the defaults.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-$(nproc)}
mode=${1:-}

case "$mode" in
  asan)
    dir=${BUILD_DIR:-build-asan}
    # clang: the libraries link with --no-undefined, so they take the runtime as
    # a shared library too, and the run path lets every program find it.
    cc=clang cxx=clang++
    flags="-O1 -g -fno-omit-frame-pointer -shared-libsan"
    flags="$flags -fsanitize=address,undefined -fno-sanitize-recover=all"
    link_extra="-Wl,-rpath,$(clang++ -print-resource-dir)/lib/linux"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    # Python and install tests load the library into interpreters and tools that
    # are not instrumented; they run in the plain suite.
    exclude='Python|Packaging'
    select=''
    ;;
  tsan)
    dir=${BUILD_DIR:-build-tsan}
    # gcc: its ThreadSanitizer runtime is a shared library that starts before
    # the C++ runtime; clang's shared one does not, and its static one cannot
    # serve libraries linked with --no-undefined.
    cc=gcc cxx=g++
    flags="-O1 -g -fno-omit-frame-pointer -fsanitize=thread"
    link_extra=""
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    # The oversized single-threaded calls of the stress suite run under asan.
    exclude='Python|Packaging|ResourceLimits'
    select='Concurren|Stress|Thread|Parallel|Serialis|Deliver|Loopback'
    ;;
  *)
    echo "usage: $0 asan|tsan" >&2
    exit 2
    ;;
esac

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags $link_extra" \
  -DCMAKE_SHARED_LINKER_FLAGS="$flags $link_extra" \
  -DCMAKE_MODULE_LINKER_FLAGS="$flags $link_extra" >/dev/null
cmake --build "$dir" -j "$JOBS"
cd "$dir"
if [ -n "$select" ]; then
  ctest --output-on-failure -j "$JOBS" -R "$select" -E "$exclude"
else
  ctest --output-on-failure -j "$JOBS" -E "$exclude"
fi
