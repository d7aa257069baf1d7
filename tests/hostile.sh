#!/bin/bash
# Hostile command lines for Vandrix.exe under Wine, each started by
# vxrun.exe with an exact raw line from a file and bounded by a timeout:
#   hostile.sh ROOT win32|win64 VANDRIX_EXE VXRUN_EXE
# Every case ends with its exit code (never a crash code such as
# 0xC0000005), and where nothing was to be done the scratch folder's tree
# hashes the same before and after. None shows the usage box. Exits 77
# (skipped) when this host cannot run Wine for that ARCH.
set -euo pipefail
export LC_ALL=C  # the lines are bytes, not characters
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/wine-env.sh"
. "$here/end_to_end_cases.sh"

root=$1 arch=$2 vandrix=$3 vxrun=$(realpath "$4")
vandrix_wine_env "$root" "$arch"
if ! vandrix_wine_usable; then
  echo "skipped: this host cannot run $arch programs under Wine" >&2
  exit 77
fi

E2E_ROOT=$root/$arch/hostile
# shellcheck disable=SC2034 # read by end_to_end_cases.sh
E2E_TRASH=$XDG_DATA_HOME/Trash
rm -rf "$E2E_ROOT" && mkdir -p "$E2E_ROOT"
cp "$vandrix" "$E2E_ROOT/Vandrix.exe"

e2e_path() { printf '%s' "$(vandrix_win_path "$(e2e_scratch)")\\${1//\//\\}"; }

# CreateProcessA takes at most 32,767 characters with the closing NUL.
MAX_LINE=32766

# One case a line: name | arguments | exit code | checks.
# The arguments are written as in end_to_end_cases.sh ({NAME} is a path in
# the scratch folder, as the program sees it), and may hold these tokens:
#   <BYTES>      every byte 0x01-0xFF in order
#   <PATHBYTES>  the same less the double quote, the space, the ";" and the
#                wildcards "*" and "?" (a pattern that matches nothing is
#                no error to the shell)
#   <SEMI:N>     N ";" in a row
#   <REPEAT:N:T> N times " T"
#   <LONGNAME>   a 300-byte name (more than MAX_PATH with its folder)
#   <FILL>       " /x" options (unknown, ignored) up to a raw line of exactly
#                MAX_LINE bytes
#   <FILL+1>     the same, one byte more: a line CreateProcessA refuses
# Copying a folder into its own subfolder: Windows' shell refuses with an
# error (exit code 1); Wine's does nothing and answers 0. Either way the
# tree must stay as it was.
# A line that could name other items than the user meant is refused (-1,
# nothing touched): more paths than the operation takes, quotes glued to
# other text, no destination, a full path of MAX_PATH or more, a ";" text
# that a look cannot show to name nothing (a path past MAX_PATH is such).
# The exit code "refused" means vxrun could not start the program.
# Checks: same (the tree's hash is unchanged), and those of
# end_to_end_cases.sh (keep:F, gone:F, copy:F=G).
hostile_cases() {
  cat <<'EOF_CASES'
longest_line     | /c /s copy {a.txt} {out}<FILL>                 | 0       | copy:out/a.txt=a.txt keep:a.txt
line_too_long    | /c /s copy {a.txt} {out}<FILL+1>               | refused | same
bytes_as_word    | <BYTES>                                         | -1      | same
bytes_after      | /c /s copy {a.txt} {out} <BYTES>                | -1      | same
bytes_in_source  | /c /s /e copy "{x}<PATHBYTES>" {out}            | -1      | same
open_quote_src   | /c /s /e copy "{a.txt} {out}                    | -1      | same
open_quote_dest  | /c /s copy {a.txt} "{out}                       | 0       | copy:out/a.txt=a.txt keep:a.txt
lone_quote_end   | /c /s copy {a.txt} {out} "                      | 0       | copy:out/a.txt=a.txt keep:a.txt
lone_quote_word  | "                                               | -1      | same
only_quotes      | """"""""""                                      | -1      | same
only_quotes_odd  | """""""""""                                     | -1      | same
quoted_spaces    | "                                  "            | -1      | same
only_tabs        | 												| -1      | same
semicolons       | /c /s copy {a.txt}<SEMI:5000>{b.txt} {out}      | -1      | same
only_semicolons  | /c /s /e copy <SEMI:5000> {out}                 | -1      | same
many_arguments   | /c /s<REPEAT:4995:/x> copy {a.txt} {out}        | 0       | copy:out/a.txt=a.txt keep:a.txt
many_positionals | /c /s copy {a.txt} {out}<REPEAT:4996:x>         | -1      | same
long_source      | /c /s /e copy {<LONGNAME>}\a.txt {out}          | -1      | same
dest_in_source   | /c /s /e copy {tree} {tree}\sub                 | 0       | same
EOF_CASES
}

hostile_originals() {
  e2e_make_originals
  local o
  o=$(e2e_originals)
  mkdir -p "$o/tree/sub"
  printf 'inside\n' >"$o/tree/sub/c.txt"
}

# A hash of the scratch folder's names, kinds and bytes.
tree_hash() {
  (cd "$(e2e_scratch)" && find . -printf '%y %p\n' | sort &&
     find . -type f -print0 | sort -z | xargs -0 -r sha256sum) | sha256sum
}

all_bytes() {
  local i
  # shellcheck disable=SC2059 # the format is the byte escape itself
  for ((i = 1; i < 256; i++)); do printf "\\x$(printf %02x "$i")"; done
}
ALL_BYTES=$(all_bytes)
PATH_BYTES=$(printf '%s' "$ALL_BYTES" | tr -d '"; *?')

repeat() { local i; for ((i = 0; i < $1; i++)); do printf '%s' "$2"; done; }

# The arguments with every token but <FILL> and <FILL+1> replaced.
expand_tokens() {
  local text=$1 n t
  text=${text//<BYTES>/"$ALL_BYTES"}
  text=${text//<PATHBYTES>/"$PATH_BYTES"}
  [[ $text != *'<LONGNAME>'* ]] || text=${text//<LONGNAME>/"$(repeat 300 n)"}
  while [[ $text =~ \<SEMI:([0-9]+)\> ]]; do
    n=${BASH_REMATCH[1]}
    text=${text/"<SEMI:$n>"/"$(repeat "$n" ';')"}
  done
  while [[ $text =~ \<REPEAT:([0-9]+):([^>]*)\> ]]; do
    n=${BASH_REMATCH[1]} t=${BASH_REMATCH[2]}
    text=${text/"<REPEAT:$n:$t>"/"$(repeat "$n" " $t")"}
  done
  printf '%s' "$text"
}

# " /x" options (and two spaces at most) that bring LINE to LENGTH bytes.
fill_to() {
  local line=$1 length=$2 missing
  missing=$((length - ${#line}))
  repeat $((missing / 3)) ' /x'
  repeat $((missing % 3)) ' '
}

# The raw command line of a case: the program's path, a space, the tail.
raw_line() {
  local line
  # Paths first: the bytes of <BYTES> hold braces.
  line="$(vandrix_win_path "$E2E_ROOT/Vandrix.exe") $(expand_tokens "$(e2e_expand "$1")")"
  case $line in
    *'<FILL>') line=${line%'<FILL>'} && line+=$(fill_to "$line" "$MAX_LINE") ;;
    *'<FILL+1>') line=${line%'<FILL+1>'} && line+=$(fill_to "$line" $((MAX_LINE + 1))) ;;
  esac
  printf '%s' "$line"
}

# Prints the exit code as vxrun reported it, or "refused".
run_line() {
  local line=$E2E_ROOT/command-line out=$E2E_ROOT/vxrun.out status=0
  raw_line "$1" >"$line"
  (cd "$(e2e_scratch)" &&
     timeout 60 "$VANDRIX_WINE" "$vxrun" "@$(vandrix_win_path "$line")" \
       </dev/null >"$out" 2>"$E2E_ROOT/vxrun.err") || status=$?
  if [ "$status" = 2 ] && grep -q 'CreateProcessA failed' "$E2E_ROOT/vxrun.err"; then
    echo refused
  elif [ "$status" = 0 ]; then
    tr -d '\r' <"$out" | sed -n 's/^exit=//p'
  else
    echo "vxrun-status-$status"
  fi
}

expected_text() {
  if [ "$1" = refused ]; then echo refused; else printf '0x%08X' $(($1 & 0xFFFFFFFF)); fi
}

hostile_case() {
  local name=$1 tail=$2 expected got before problems='' check
  expected=$(expected_text "$3")
  e2e_fresh_scratch
  before=$(tree_hash)
  got=$(run_line "$tail")
  [ "$got" = "$expected" ] || problems+="exit code; "
  for check in $4; do
    if [ "$check" = same ]; then
      [ "$(tree_hash)" = "$before" ] || problems+="scratch folder changed; "
    else
      problems+=$(e2e_check "$check" | sed 's/$/; /' | tr -d '\n')
    fi
  done
  e2e_report "$name" "$expected" "$got" "$problems"
}

hostile_originals
e2e_run_table hostile_cases hostile_case
