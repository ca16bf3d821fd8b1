#!/usr/bin/env bash
# Release archives of the checked-out commit, built from scratch:
#   dist/VelmoKivWrapper-<version>-win32.zip
#   dist/VelmoKivWrapper-<version>-linux-x86_64.tar.gz
#   dist/SHA256SUMS
# Each holds the library, stripped, with its debug information beside it (a
# CodeView .pdb for the DLL, a .debug file for the shared object), the import
# libraries (Windows) or the CMake package and pkg-config file (Linux), the
# .def, the headers, a README, the CHANGELOG, the LICENSE and the licences of everything
# compiled in; the loopback stand-in SDK only in loopback/. Two runs on one
# commit write the same archives: file times are the commit's time, entries
# are sorted, owners and PE time stamps are left out. The archives are checked
# (tests/packaging/check_release.py) before the script ends.
#   scripts/release.sh    RELEASE_DIR (default build-release), JOBS (default nproc)
# A tree with changes or untracked files is refused: the archives name a
# version, so they must come from a commit. VELMO_RELEASE_ALLOW_DIRTY=1 builds
# one anyway, for trying the script out.
set -euo pipefail
cd "$(dirname "$0")/.."

RELEASE_DIR=${RELEASE_DIR:-build-release}
JOBS=${JOBS:-$(nproc)}
DIST=dist

source scripts/packages.sh
# The Windows build: clang and lld for the MinGW target (the windows group).
packages_install --no-install-recommends build windows

if [ -n "$(git status --porcelain)" ]; then
  if [ "${VELMO_RELEASE_ALLOW_DIRTY:-0}" != 1 ]; then
    echo "release.sh: the tree has changes or untracked files; commit them first" >&2
    git status --short >&2
    exit 1
  fi
  echo "== warning: building from a tree with changes (VELMO_RELEASE_ALLOW_DIRTY=1)" >&2
fi

# File times in the archives, and anything else that asks for a date.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
revision=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH

rm -rf "$RELEASE_DIR" "$DIST"
mkdir -p "$RELEASE_DIR" "$DIST"
release_dir=$(cd "$RELEASE_DIR" && pwd)

# build <platform> [cmake options...]: configures and builds the two libraries
# (and what ships with them) into $RELEASE_DIR/<platform>, then installs the
# default component and the stand-in into $RELEASE_DIR/stage/<platform>.
build() {
  local platform=$1; shift
  local dir=$release_dir/$platform stage=$release_dir/stage/$platform
  echo "== building $platform in $dir"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=OFF \
    -DVELMO_BUILD_BENCHMARKS=OFF -DVELMO_SPLIT_DEBUG_INFO=ON \
    -DVELMO_LOOPBACK_INSTALL_DIR=loopback "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS" --target VelmoKivWrapper velmo_kiv_sdk \
    $( [ "$platform" = win32 ] && echo VelmoKivWrapper_msvc_import_library )
  cmake --install "$dir" --prefix "$stage" >/dev/null
  cmake --install "$dir" --prefix "$stage" --component loopback >/dev/null
}

build linux-x86_64
build win32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/i686-w64-mingw32.cmake"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release_dir/win32/CMakeCache.txt")
[ -n "$version" ] || { echo "release.sh: no project version in the cache" >&2; exit 1; }


# The Windows archive carries no CMake package or pkg-config file: they would
# hand MSVC projects MinGW's import library.
rm -rf "$release_dir/stage/win32/lib/cmake" "$release_dir/stage/win32/lib/pkgconfig"

# Licences of what each build compiles in, from the Debian packages it was
# built with: the JSON and logging libraries on both; on Windows also the GCC
# runtime (libstdc++, libgcc) and the mingw-w64 runtime (CRT, winpthreads),
# which are linked statically. clang links none of its own runtime there: it
# takes the compiler support routines from libgcc.
licences() {
  echo nlohmann-json:nlohmann-json3-dev spdlog:libspdlog-dev fmt:libfmt-dev
  [ "$1" = win32 ] && echo gcc-runtime:gcc-mingw-w64-base mingw-w64-runtime:mingw-w64-i686-dev
  return 0
}

# stage <platform> <archive name>: the archive's folder, with the files that
# do not come from the install rules.
stage() {
  local platform=$1 name=$2 root=$release_dir/archive/$2
  mkdir -p "$root/licenses"
  cp -a "$release_dir/stage/$platform/." "$root/"
  cp CHANGELOG.md LICENSE "$root/"
  sed -e "s/@VERSION@/$version/g" -e "s/@REVISION@/$revision/g" \
    "scripts/release/README-$platform.md.in" >"$root/README.md"
  cp scripts/release/loopback-README.md "$root/loopback/README.md"
  local entry
  for entry in $(licences "$platform"); do
    cp "/usr/share/doc/${entry#*:}/copyright" "$root/licenses/${entry%%:*}.txt"
  done
  # Same modes and times for every entry, whatever the umask and clock were.
  find "$root" -type d -exec chmod 755 {} +
  find "$root" -type f -exec chmod 644 {} +
  find "$root" -type f \( -name '*.dll' -o -name '*.so*' \) ! -name '*.debug' -exec chmod 755 {} +
  find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

win_name=VelmoKivWrapper-$version-win32
linux_name=VelmoKivWrapper-$version-linux-x86_64
stage win32 "$win_name"
stage linux-x86_64 "$linux_name"

echo "== writing $DIST"
dist_dir=$(cd "$DIST" && pwd)
(cd "$release_dir/archive" &&
  find "$win_name" -print | LC_ALL=C sort |
  TZ=UTC zip -X -D -q -9 "$dist_dir/$win_name.zip" -@)
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
  --format=gnu -C "$release_dir/archive" -cf - "$linux_name" | gzip -9n >"$dist_dir/$linux_name.tar.gz"
(cd "$DIST" && sha256sum "$win_name.zip" "$linux_name.tar.gz" >SHA256SUMS)

echo "== checking the archives"
python3 tests/packaging/check_release.py "$DIST" "$version" "$SOURCE_DATE_EPOCH" \
  "$release_dir/unpacked" "$PWD" "$release_dir"
cat "$DIST/SHA256SUMS"
