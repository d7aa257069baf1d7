#!/bin/bash
# The usage box of Vandrix.exe under Wine, on the X server of the `wine`
# fixture: it must show for no arguments and for "/?" (a screenshot of each
# is saved in ARTIFACTS), and not for "/h" alone; the exit code is
# 0xFFFFFFFF each time.
#   usage_box.sh ROOT win32|win64 VANDRIX_EXE VXRUN_EXE ARTIFACTS CAPTION
# Exits 77 (skipped) when Wine, the X server or the X tools are missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/wine-env.sh"
. "$here/end_to_end_cases.sh"

root=$1 arch=$2 vandrix=$3 vxrun=$4 artifacts=$5 caption=$6
vandrix_wine_env "$root" "$arch"

skip() {
  echo "skipped: $*" >&2
  exit 77
}

vandrix_wine_usable || skip "this host cannot run $arch programs under Wine"
[ -n "${DISPLAY:-}" ] || skip "no X server (Xvfb) was started for this run"
for tool in xdotool import; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
xdotool getdisplaygeometry >/dev/null 2>&1 || skip "X server $DISPLAY is gone"

# With no window manager on the X server, Wine draws the frame and the title
# bar itself, so the screenshots show the caption as a user sees it.
timeout 60 "$VANDRIX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated \
  /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 || echo "note: Wine draws no title bar" >&2

work=$root/$arch/usage-box
rm -rf "$work" && mkdir -p "$work" "$artifacts"
cp "$vandrix" "$work/Vandrix.exe"

# name | arguments | window (or "none")
usage_cases() {
  cat <<'EOF'
no_arguments  |     | usage-box.png
help_question | /?  | usage-box-question.png
help_h_alone  | /h  | none
EOF
}

# The caption as an anchored extended regular expression, for xdotool.
caption_pattern() {
  printf '^%s$' "$(printf '%s' "$caption" | sed 's/[][\.*^$(){}?+|]/\\&/g')"
}

# Starts Vandrix.exe with the arguments through vxrun, in the background.
start_program() {
  local line
  line=$(vandrix_win_path "$work/Vandrix.exe")
  [ -z "$1" ] || line+=" $1"
  printf '%s' "$line" >"$work/command-line"
  timeout 60 "$VANDRIX_WINE" "$vxrun" "@$(vandrix_win_path "$work/command-line")" \
    </dev/null >"$work/vxrun.out" 2>"$work/vxrun.err" &
  program=$!
}

# True when vxrun ends within N tenths of a second.
ends_within() {
  for _ in $(seq "$1"); do
    kill -0 "$program" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$program" 2>/dev/null
}

# Presses Enter in every window with the caption.
close_boxes() {
  local window
  for window in $(xdotool search --onlyvisible --name "$(caption_pattern)" 2>/dev/null); do
    xdotool windowfocus --sync "$window" key Return 2>/dev/null || true
  done
}

# Gives vxrun 5 s to end, closes any box left open, then ends vxrun: a box
# must not hold the test until the time limit.
end_program() {
  ends_within 50 && return
  close_boxes
  ends_within 50 && return
  kill "$program"
  echo "still running, ended"
}

# The exit code that vxrun printed.
exit_code() { tr -d '\r' <"$work/vxrun.out" | sed -n 's/^exit=//p'; }

# The box: found within 30 s, photographed, closed with Enter.
check_box() {
  local window
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "$(caption_pattern)" |
    head -n 1) || true
  [ -n "$window" ] || { echo "no window with the caption"; return; }
  sleep 0.5  # let it paint
  import -window "$window" "$artifacts/$1" 2>/dev/null || echo "no screenshot"
  xdotool windowfocus --sync "$window" key Return 2>/dev/null || echo "could not press Enter"
}

# No box: the program ends within 5 s and no window with the caption shows.
check_no_box() {
  for _ in $(seq 50); do
    if xdotool search --onlyvisible --name "$(caption_pattern)" >/dev/null 2>&1; then
      echo "a window with the caption showed"
      return
    fi
    kill -0 "$program" 2>/dev/null || return 0
    sleep 0.1
  done
  echo "still running after 5 s"
}

usage_case() {
  local name=$1 shown=$3 problem got ended
  start_program "$2"
  if [ "$shown" = none ]; then
    problem=$(check_no_box)
  else
    problem=$(check_box "$shown")
  fi
  ended=$(end_program)
  wait "$program" || true
  [ -z "$ended" ] || problem+="${problem:+; }$ended"
  got=$(exit_code)
  [ "$got" = 0xFFFFFFFF ] || problem+="${problem:+; }exit code"
  printf '%-14s window %-22s expected 0xFFFFFFFF got %-10s %s\n' \
    "$name" "$shown" "${got:-none}" "${problem:-ok}"
  [ -z "$problem" ]
}

e2e_run_table usage_cases usage_case
