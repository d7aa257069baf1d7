#!/usr/bin/env bash
# Builds every preset and runs every test: unit tests natively and under
# Wine, end-to-end runs of vandrix and Vandrix.exe, the usage box under
# Xvfb, the check of Vandrix.exe's headers and resources, the native tests
# under the address and undefined-behaviour sanitizers, the unit tests under
# the thread sanitizer (the engine's workers), and short fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."

presets=(native windows windows-x64 sanitize tsan fuzz)
log=build/test-summary.log

run_preset() {
  local preset=$1 out
  echo "== test: $preset"
  out=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$out" || true
  # ctest's totals ("N tests failed out of M") and skipped tests.
  local total failed skipped
  total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$out" | tail -n1)
  failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of .*/\1/p' "$out" | tail -n1)
  skipped=$(grep -c '(Skipped)' "$out" || true)
  rm -f "$out"
  echo "$preset ${total:-0} ${failed:-1} ${skipped:-0}" >>"$log"
}

main() {
  scripts/build.sh "${presets[@]}"
  mkdir -p build
  : >"$log"
  local preset
  for preset in "${presets[@]}"; do run_preset "$preset"; done
  awk '{ t += $2; f += $3; s += $4 }
       END { printf "total: %d passed, %d failed, %d skipped\n", t - f - s, f, s;
             exit (f > 0 || t == 0) }' "$log"
}

main "$@"
