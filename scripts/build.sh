#!/usr/bin/env bash
# Configures and builds Brindle into a build folder (default: build), with compiler warnings as
# errors. Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${BRINDLE_BUILD_DIR:-build}"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="${BRINDLE_BUILD_TYPE:-RelWithDebInfo}" -DBRINDLE_WERROR=ON \
  "$@" >/dev/null
cmake --build "$dir" -j "${BRINDLE_JOBS:-2}"
