#!/usr/bin/env bash
# Installs Node.js and npm from Debian's packages when node is missing.
set -euo pipefail
command -v node >/dev/null && exit 0
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
echo "== installing nodejs npm"
as_root apt-get update -qq || echo "== apt-get update failed for some index; installing anyway"
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nodejs npm
