#!/usr/bin/env bash
# Packs the npm package, installs the tarball into a fresh folder (its
# dependencies from the npm registry) and runs a call through it, with no
# library path from the environment.
#   scripts/pack-test.sh LINUX_BUILD [WINDOWS_BUILD]
set -euo pipefail
PACKAGE=$(cd "$(dirname "$0")/.." && pwd)
tarball=$("$PACKAGE/scripts/pack.sh" "$@")
echo "== packed $tarball"
tar -tzf "$tarball" | grep prebuilds/ | sed 's/^/   /'
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
