#!/bin/sh
# Runs a Windows program under Wine in the isolated prefix below ROOT:
#   wine-run.sh ROOT win32|win64 PROGRAM.exe [ARGUMENTS...]
# ctest's emulator for cross-built test programs. Exits 77 (skipped) when
# this host cannot run Wine for that ARCH.
root=$1 arch=$2
shift 2
. "$(dirname "$0")/wine-env.sh"
vandrix_wine_env "$root" "$arch"
if ! vandrix_wine_usable; then
  echo "skipped: this host cannot run $arch programs under Wine" >&2
  exit 77
fi
exec "$VANDRIX_WINE" "$@"
