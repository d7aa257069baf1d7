#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a working Vandrix: installs
# what is missing, builds every preset, then copies a few files with
# Vandrix.exe under Wine in a scratch folder and shows what it did.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

. scripts/wine-env.sh

# The 32-bit product where this host can run 32-bit programs; else the
# same program built for 64-bit Windows.
choose_exe() {
  vandrix_wine_env "$root/build/sample/wine" win32
  if vandrix_wine_usable; then
    exe=$root/build/windows/Vandrix.exe
    return
  fi
  echo "note: this host cannot run 32-bit programs (ia32 emulation is off);"
  echo "      the sample runs the 64-bit build of the same program."
  vandrix_wine_env "$root/build/sample/wine" win64
  exe=$root/build/windows-x64/Vandrix.exe
}

make_scratch() {
  scratch=$root/build/sample/scratch
  rm -rf "$scratch"
  mkdir -p "$scratch/In/notes"
  echo "first file" >"$scratch/In/a.txt"
  echo "second file" >"$scratch/In/b.txt"
  echo "a note" >"$scratch/In/notes/today.txt"
}

show_tree() {
  (cd "$scratch" && find . -mindepth 1 | sort | sed 's|^\./|  |')
}

run_sample() {
  local win tail
  win=$("$VANDRIX_WINE" winepath -w "$scratch" 2>/dev/null | tr -d '\r')
  tail="/c /s copy \"$win\\In\\a.txt;$win\\In\\b.txt;$win\\In\\notes\" \"$win\\Out\""
  echo "before:"
  show_tree
  echo "running: Vandrix.exe $tail"
  local code=0
  timeout 120 "$VANDRIX_WINE" "$exe" /c /s copy "$win\\In\\a.txt;$win\\In\\b.txt;$win\\In\\notes" "$win\\Out" || code=$?
  echo "exit code: $code (0 = done)"
  echo "after:"
  show_tree
  [ "$code" -eq 0 ] && cmp -s "$scratch/In/a.txt" "$scratch/Out/a.txt"
}

main() {
  scripts/install-deps.sh
  scripts/build.sh
  choose_exe
  vandrix_wine_start
  make_scratch
  run_sample
  vandrix_wine_stop
  echo "sample: done (scratch folder: build/sample/scratch)"
}

main "$@"
