#!/usr/bin/env bash
# Runs one fuzz target on a copy of its seed corpus (the committed corpus is
# never written to), then prints the coverage it reached:
#   run_fuzz.sh TARGET SEED_CORPUS WORK_DIR [LIBFUZZER_OPTIONS...]
# New inputs go to WORK_DIR/corpus, crashes to WORK_DIR/.
set -euo pipefail

target=$1 seeds=$2 work=$3
shift 3

fresh_corpus() {
  rm -rf "$work/corpus"
  mkdir -p "$work/corpus"
  cp "$seeds"/* "$work/corpus/"
}

main() {
  fresh_corpus
  local log=$work/fuzz.log
  local status=0
  "$target" -artifact_prefix="$work/" -print_final_stats=1 "$@" \
    "$work/corpus" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    return "$status"
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units' "$log" || tail -n 3 "$log"
}

main "$@"
