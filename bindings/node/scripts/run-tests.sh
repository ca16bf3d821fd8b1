#!/usr/bin/env bash
# Runs the binding's node --test suite: installs its npm dependencies when
# they are missing (from the npm registry, nothing else), then the tests.
#   scripts/run-tests.sh [NODE]    with VELMO_KIV_LIBRARY and VELMO_KIV_NODE_QUEUE set
set -euo pipefail
cd "$(dirname "$0")/.."
NODE=${1:-node}
if [ ! -f node_modules/koffi/package.json ]; then
  echo "== npm ci in bindings/node"
  npm ci --no-audit --no-fund >/dev/null
fi
# Each test has a time limit of its own; none runs longer than this.
exec "$NODE" --test --test-timeout=300000 test/*.test.js test/*.test.mjs
