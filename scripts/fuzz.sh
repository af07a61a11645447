#!/usr/bin/env bash
# Installs clang-14 when it is missing, builds the libFuzzer targets under fuzz/ with it,
# AddressSanitizer and UndefinedBehaviorSanitizer into build-fuzz/, and runs each for a while:
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]     default: 60 seconds for each of
#                                             database, emulator-config, play-journal,
#                                             patch-reader
#
# The seed corpus in fuzz/corpus/TARGET is only read; what a run learns goes to
# build-fuzz/corpus/TARGET, so a later run starts from there. An input that breaks a target is
# kept as build-fuzz/findings/TARGET-crash-* and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(database emulator-config play-journal patch-reader)

bash scripts/deps.sh clang-14 libclang-rt-14-dev

dir=build-fuzz
BRINDLE_BUILD_DIR="$dir" bash scripts/build.sh -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DBRINDLE_FUZZ=ON -DBRINDLE_GUI=OFF -DBRINDLE_BENCH=OFF

mkdir -p "$dir/findings"
for target in "${targets[@]}"; do
  mkdir -p "$dir/corpus/$target"
  log="$dir/fuzz-$target.log"
  echo "== fuzz-$target for $seconds s (log: $log)"
  if ! "$dir/fuzz/fuzz-$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$dir/findings/$target-" "$dir/corpus/$target" "fuzz/corpus/$target" \
      >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz-$target found a problem; the input is in $dir/findings/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added)' "$log"
done
