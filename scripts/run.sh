#!/usr/bin/env bash
# Sets up, builds and starts Brindle.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
dir="${BRINDLE_BUILD_DIR:-build}"
# The window does not exist yet: show what brindle-tool makes of the example database.
echo "== brindle-tool check examples/brindle.dat"
"$dir/src/brindle-tool" check examples/brindle.dat || true
echo "== brindle-tool dump examples/brindle.dat"
"$dir/src/brindle-tool" dump examples/brindle.dat
