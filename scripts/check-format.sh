#!/usr/bin/env bash
# Fails naming every C/C++ file of the repository that the project's
# .clang-format would change; with --fix, formats them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format-14}
command -v "$format" >/dev/null || { echo "$format not found (./dev.sh installs it)" >&2; exit 1; }
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.c' '*.h' '*.cpp' '*.hpp')
else
  mapfile -t files < <(find . -path ./build\* -prune -o -path '*/node_modules' -prune -o \
    -type f \( -name '*.c' -o -name '*.h' -o -name '*.cpp' -o -name '*.hpp' \) -print)
fi
if [ "${1:-}" = --fix ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
stale=$("$format" --dry-run "${files[@]}" 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning:.*/\1/p' | sort -u)
if [ -n "$stale" ]; then
  echo "not formatted:" $stale
  echo "format them with: scripts/check-format.sh --fix"
  exit 1
fi
echo "${#files[@]} C/C++ files formatted"
