#!/bin/bash
# Runs vandrix on real files, with the cases of end_to_end_cases.sh given as
# arguments, then checks what it says when asked for its usage:
#   end_to_end_posix.sh VANDRIX WORK_FOLDER CAPTION
# HOME and the trash are WORK_FOLDER's own.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/end_to_end_cases.sh"

vandrix=$1 work=$2 caption=$3
E2E_ROOT=$work
rm -rf "$E2E_ROOT" && mkdir -p "$E2E_ROOT/my tools" "$E2E_ROOT/home"
export HOME=$E2E_ROOT/home XDG_DATA_HOME=$E2E_ROOT/home/.local/share
# shellcheck disable=SC2034 # read by end_to_end_cases.sh
E2E_TRASH=$XDG_DATA_HOME/Trash
cp "$vandrix" "$E2E_ROOT/vandrix"
cp "$vandrix" "$E2E_ROOT/my tools/vandrix"

# Relative to E2E_ROOT, where the program runs: an argument that starts
# with "/" is taken for an option, so absolute paths cannot be given.
e2e_path() { printf 'scratch/%s' "$1"; }

# Only the low byte of an exit code reaches a POSIX parent.
e2e_exit_text() { printf '%d' $(($1 & 0xFF)); }

program_path() {
  case $1 in
    plain) printf '%s' "$E2E_ROOT/vandrix" ;;
    spaced) printf '%s' "$E2E_ROOT/my tools/vandrix" ;;
  esac
}

# Each word of the arguments is one argument, {NAME}s expanded in it and its
# double quotes removed, as a POSIX shell would.
e2e_run() {
  local word code=0 words args=()
  read -ra words <<<"$2"
  for word in "${words[@]}"; do args+=("$(e2e_expand "${word//\"/}")"); done
  (cd "$E2E_ROOT" && timeout 60 "$(program_path "$1")" "${args[@]}") \
    </dev/null >/dev/null 2>"$E2E_ROOT/stderr" || code=$?
  [ "$code" != 124 ] || return 1
  printf '%d' "$code"
}

# --- the usage: caption and text on standard error, or nothing --------------

# name | arguments | shown (yes/no)
usage_cases() {
  cat <<'EOF'
no_arguments   |      | yes
help_question  | /?   | yes
help_h_alone   | /h   | no
EOF
}

usage_case() {
  local name=$1 shown=$3 code=0 first problem=''
  local -a args
  read -ra args <<<"$2"
  timeout 60 "$E2E_ROOT/vandrix" "${args[@]}" \
    </dev/null >/dev/null 2>"$E2E_ROOT/stderr" || code=$?
  first=$(head -n 1 "$E2E_ROOT/stderr")
  [ "$code" = 255 ] || problem="exit code $code; "
  case $shown in
    yes) [ "$first" = "$caption" ] || problem+="first line '$first'" ;;
    no) [ ! -s "$E2E_ROOT/stderr" ] || problem+="usage printed" ;;
  esac
  printf '%-16s usage %-3s exit 255 got %-3s %s\n' "$name" "$shown" "$code" \
    "${problem:-ok}"
  [ -z "$problem" ]
}

usage_run_all() {
  e2e_run_table usage_cases usage_case
}

status=0
e2e_run_all || status=1
usage_run_all || status=1
exit "$status"
