#!/usr/bin/env bash
# Sets up, builds and starts Brindle. Arguments go to Brindle (an .ips file to play or install).
# The build marks build/src as a portable copy: Brindle keeps its database in build/src/brindle.dat.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
exec "${BRINDLE_BUILD_DIR:-build}/src/brindle" "$@"
