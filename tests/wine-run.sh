#!/bin/sh
# Runs a Windows program under Wine in the isolated prefix below $1:
#   wine-run.sh ROOT PROGRAM.exe [ARGUMENTS...]
# Used by ctest as the emulator for cross-built test programs.
root=$1
shift
. "$(dirname "$0")/wine-env.sh"
vandrix_wine_env "$root"
exec wine "$@"
