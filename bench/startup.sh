#!/usr/bin/env bash
# Start-up cost of Vandrix.exe under Wine: `Vandrix.exe frob` (an unknown
# operation: the program starts, reads its command line and stops) against
# a program that only returns, side by side in one hyperfine run, under one
# warm wineserver.
#   bench/startup.sh [windows|windows-x64] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-windows}
runs=${2:-100}
build=$PWD/build/$preset
arch=win32
[ "$preset" = windows-x64 ] && arch=win64

. scripts/wine-env.sh
vandrix_wine_env "$build/wine" "$arch"
if ! vandrix_wine_usable; then
  echo "startup: this host cannot run $arch programs under Wine" >&2
  exit 77
fi
cmake --build --preset "$preset" --target vandrix noop >/dev/null
vandrix_wine_start
trap vandrix_wine_stop EXIT
hyperfine -N --warmup 10 --runs "$runs" -i \
  --command-name "Vandrix.exe frob" "$VANDRIX_WINE $build/Vandrix.exe frob" \
  --command-name "noop.exe" "$VANDRIX_WINE $build/bench/noop.exe"
