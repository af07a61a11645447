#!/usr/bin/env bash
# Sets up, builds and starts Brindle. Arguments go to Brindle (an .ips file to play or install).
# Brindle keeps brindle.dat beside its executable, here build/src/brindle.dat.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
exec "${BRINDLE_BUILD_DIR:-build}/src/brindle" "$@"
