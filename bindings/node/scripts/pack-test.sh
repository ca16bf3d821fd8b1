#!/usr/bin/env bash
# Packs the npm package, installs the tarball into a fresh folder (its
# dependencies from the npm registry) and runs a call through it, with no
# library path from the environment.
#   scripts/pack-test.sh LINUX_BUILD [WINDOWS_BUILD]
set -euo pipefail
PACKAGE=$(cd "$(dirname "$0")/.." && pwd)
tarball=$("$PACKAGE/scripts/pack.sh" "$@")
echo "== packed $tarball"
contents=$(tar -tzf "$tarball")
grep prebuilds/ <<<"$contents" | sed 's/^/   /'
if grep -q prebuilds/win32-ia32/ <<<"$contents"; then
  # The 32-bit DLL exports the binding's entries and imports only the wrapper
  # and Windows' own DLLs (the C++ runtime is linked in).
  dll=$PACKAGE/prebuilds/win32-ia32/VelmoKivNodeQueue.dll
  table=$(i686-w64-mingw32-objdump -p "$dll")
  grep -q 'i386' <<<"$table" || { echo "$dll is not a 32-bit x86 DLL" >&2; exit 1; }
  for entry in kiv_node_call kiv_node_result kiv_node_queue_take kiv_node_sink_create; do
    grep -qw "$entry" <<<"$table" || { echo "$dll does not export $entry" >&2; exit 1; }
  done
  imports=$(awk '/DLL Name:/ {print $3}' <<<"$table" | sort | tr '\n' ' ')
  echo "   VelmoKivNodeQueue.dll imports: $imports"
  grep -qi 'lib\(stdc++\|gcc\|winpthread\)' <<<"$imports" && { echo "runtime DLL imported" >&2; exit 1; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
npm init -y >/dev/null
npm install --no-audit --no-fund "$tarball" >/dev/null
env -u VELMO_KIV_LIBRARY -u VELMO_KIV_NODE_QUEUE XDG_STATE_HOME="$work/state" node -e "
  const kiv = require('velmo-kiv-wrapper');
  const engine = new kiv.Engine();
  engine.client.create({ config: { appId: 'packed', userId: 'installed' } });
  engine.client.setLogLevel({ level: 0 });
  engine.client.login({ token: 't' }).then((event) => {
    console.log('login result from the installed package:', JSON.stringify(event.body));
    process.exitCode = event.body.errorCode === 0 ? 0 : 1;
  });
" | grep -v '^\[20'
echo "1 passed, 0 failed"
