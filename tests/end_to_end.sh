#!/bin/bash
# Runs Vandrix.exe under Wine on real files, each case with an exact raw
# command line (started by vxrun.exe, which prints the child's exit code),
# in the scratch folder as its current folder:
#   end_to_end.sh ROOT win32|win64 VANDRIX_EXE VXRUN_EXE
# The cases are in end_to_end_cases.sh. Exits 77 (skipped) when this host
# cannot run Wine for that ARCH.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/wine-env.sh"
. "$here/end_to_end_cases.sh"

root=$1 arch=$2 vandrix=$3 vxrun=$(realpath "$4")
vandrix_wine_env "$root" "$arch"
if ! vandrix_wine_usable; then
  echo "skipped: this host cannot run $arch programs under Wine" >&2
  exit 77
fi

E2E_ROOT=$root/$arch/end-to-end
# shellcheck disable=SC2034 # read by end_to_end_cases.sh
E2E_TRASH=$XDG_DATA_HOME/Trash E2E_SHELL=wine
rm -rf "$E2E_ROOT" && mkdir -p "$E2E_ROOT/my tools"
cp "$vandrix" "$E2E_ROOT/Vandrix.exe"
cp "$vandrix" "$E2E_ROOT/my tools/Vandrix.exe"
# The program as Windows before 10 1903 runs it: a manifest whose code page
# is a locale's (en-US: 1252) instead of UTF-8, the same length.
perl -0777 -pe 's{>UTF-8</activeCodePage>}{>en-US</activeCodePage>} or die "no UTF-8 code page in $ARGV\n"' \
  "$vandrix" >"$E2E_ROOT/Vandrix-1252.exe"

e2e_path() { printf '%s' "$(vandrix_win_path "$(e2e_scratch)")\\${1//\//\\}"; }

e2e_exit_text() { printf '0x%08X' $(($1 & 0xFFFFFFFF)); }

# The raw command line: the program's Windows path (quoted in a folder with
# a space, with extra spaces after it), then the arguments as written.
raw_line() {
  case $1 in
    plain|utf16) printf '%s %s' "$(vandrix_win_path "$E2E_ROOT/Vandrix.exe")" "$2" ;;
    spaced) printf '"%s"   %s' "$(vandrix_win_path "$E2E_ROOT/my tools/Vandrix.exe")" "$2" ;;
    cp1252) printf '%s %s' "$(vandrix_win_path "$E2E_ROOT/Vandrix-1252.exe")" "$2" ;;
  esac
}

# Prints the child's exit code as vxrun reported it. The line goes as bytes
# (CreateProcessA), or for utf16 and cp1252 as UTF-16 (CreateProcessW), as
# a command prompt starts a program. Wine reads and writes the names on disk
# in the encoding of the locale: UTF-8, as the scratch folder's names are.
e2e_run() {
  local line=$E2E_ROOT/command-line out=$E2E_ROOT/vxrun.out mode=()
  raw_line "$1" "$(e2e_expand "$2")" >"$line"
  case $1 in utf16|cp1252) mode=(-w) ;; esac
  (cd "$(e2e_scratch)" && LC_ALL=C.UTF-8 timeout 60 "$VANDRIX_WINE" "$vxrun" "${mode[@]}" \
    "@$(vandrix_win_path "$line")") </dev/null >"$out" 2>"$E2E_ROOT/vxrun.err" || return 1
  tr -d '\r' <"$out" | sed -n 's/^exit=//p'
}

e2e_run_all
