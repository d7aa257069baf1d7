#!/usr/bin/env bash
# Builds the `fuzz` preset and runs every fuzz target for SECONDS each
# (default 300), starting from a copy of its seed corpus:
#   scripts/fuzz.sh [SECONDS]
# New inputs and any crash go to build/fuzz/long/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(fuzz_tail fuzz_split fuzz_run_main)

main() {
  local seconds=${1:-300} target
  scripts/build.sh fuzz
  for target in "${targets[@]}"; do
    echo "== fuzz: $target for ${seconds}s"
    bash fuzz/run_fuzz.sh "build/fuzz/fuzz/$target" "fuzz/corpus/$target" \
      "build/fuzz/long/$target" -max_total_time="$seconds" -max_len=32768
  done
}

main "$@"
