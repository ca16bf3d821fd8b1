#!/usr/bin/env bash
# Checks scripts/packages.sh against stand-ins for dpkg-query and apt-get: only
# the missing packages of the named groups are installed, a failing index
# update does not stop the install, an unknown group installs nothing, and
# every group the installing scripts name exists.
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$work/bin"
# dpkg-query: a package counts as installed when it is listed in $work/installed.
cat > "$work/bin/dpkg-query" <<'STUB'
#!/bin/sh
for last; do :; done
grep -qx "$last" "$STUB_DIR/installed" && echo "install ok installed"
exit 0
STUB
# apt-get: records each call; "update" fails when asked to.
cat > "$work/bin/apt-get" <<'STUB'
#!/bin/sh
echo "$*" >> "$STUB_DIR/apt-calls"
[ "$1 $2" = "update -qq" ] && [ -n "${STUB_UPDATE_FAILS:-}" ] && exit 100
exit 0
STUB
printf '#!/bin/sh\necho 0\n' > "$work/bin/id"
chmod +x "$work/bin/"*
export STUB_DIR=$work PATH="$work/bin:$PATH"

# run <installed packages> <packages_install arguments...>: the apt-get calls.
run() {
  printf '%s\n' $1 > "$work/installed"
  : > "$work/apt-calls"
  shift
  # set -e as in the scripts that source it.
  (set -e; source "$repo/scripts/packages.sh"; packages_install "$@") > "$work/out" 2>&1
  echo "status=$?" >> "$work/apt-calls"
  cat "$work/apt-calls"
}

expect() {  # expect <name> <expected output> <actual output>
  [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

all_redis="redis-server libhiredis-dev"
expect "nothing missing: no apt-get" "status=0" "$(run "$all_redis" redis)"
expect "one missing: only it" \
  "update -qq
install -y -qq libhiredis-dev
status=0" "$(run "redis-server" redis)"
expect "options and extra packages pass through" \
  "update -qq
install -y -qq --no-install-recommends nodejs npm wine32:i386
status=0" "$(run "" --no-install-recommends bindings -- wine32:i386)"
expect "a failing update still installs" \
  "update -qq
install -y -qq redis-server
status=0" "$(STUB_UPDATE_FAILS=1 run "libhiredis-dev" redis)"
expect "an unknown group installs nothing" "status=1" "$(run "" redis no-such-group)"

# A package in two groups is installed once.
list=$(source "$repo/scripts/packages.sh" && packages_list test windows)
duplicates=$(printf '%s\n' "$list" | sort | uniq -d)
[ -z "$duplicates" ] || fail "packages listed twice: $duplicates"
printf '%s\n' "$list" | grep -qx g++-mingw-w64-i686-posix || fail "test+windows lacks the mingw g++"

# Every group an installing script names is in the list.
for script in dev.sh scripts/release.sh scripts/windows-test.sh bindings/node/scripts/install-node.sh; do
  line=$(grep -h 'packages_install ' "$repo/$script" | grep -v '^ *#' | head -1)
  [ -n "$line" ] || { fail "$script does not call packages_install"; continue; }
  groups=$(echo "$line" | sed -e 's/.*packages_install//' -e 's/--no-install-recommends//' \
    -e 's/ -- .*//' -e 's/;.*//' -e 's/}.*//')
  (source "$repo/scripts/packages.sh" && packages_list $groups >/dev/null) ||
    fail "$script names a group that packages.txt lacks: $groups"
done

[ "$failures" = 0 ] && echo "all package-list checks passed"
exit "$failures"
