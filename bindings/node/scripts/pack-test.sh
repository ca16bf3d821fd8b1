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
# An ES-module host that prints JSON lines only: every line of its standard
# output parses (the library's log lines stay off it unless asked for).
cat >app.mjs <<'EOF_APP'
import { Engine, KivStateError, KivParamsError } from 'velmo-kiv-wrapper';
const engine = new Engine();
engine.client.create({ config: { appId: 'packed', userId: 'installed' } });
const event = await engine.client.login({ token: 't' });
console.log(JSON.stringify({ login: event.body }));
console.log(JSON.stringify({ errors: [KivStateError.name, KivParamsError.name] }));
engine.close();
process.exitCode = event.body.errorCode === 0 ? 0 : 1;
EOF_APP
output=$(env -u VELMO_KIV_LIBRARY -u VELMO_KIV_NODE_QUEUE -u VELMO_KIV_LIBRARY_OUTPUT \
  XDG_STATE_HOME="$work/state" node app.mjs)
echo "$output" | node -e "
  const lines = require('fs').readFileSync(0, 'utf8').trim().split('\\n');
  lines.forEach((line) => JSON.parse(line));
  console.log('the installed package printed', lines.length, 'JSON lines only:', lines[0]);
"
echo "1 passed, 0 failed"
