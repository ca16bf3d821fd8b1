#!/usr/bin/env bash
# Installs Node.js and npm from Debian's packages when node is missing.
set -euo pipefail
command -v node >/dev/null && exit 0
source "$(dirname "$0")/../../../scripts/packages.sh"
packages_install bindings
