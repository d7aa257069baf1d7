# shellcheck shell=dash
# Sourced. Wine in an isolated prefix: vandrix_wine_env ROOT ARCH, where
# ARCH is win32 (32-bit programs) or win64. Nothing outside ROOT is read or
# written: the prefix, HOME (where a delete with undo puts its trash),
# TMPDIR and XDG_DATA_HOME all live there. Sets VANDRIX_WINE to the loader,
# and DISPLAY to the run's own X server when vandrix_wine_start started one.
vandrix_wine_env() {
  local root=$1 arch=${2:-win32}
  mkdir -p "$root/$arch/home/.local/share" "$root/$arch/tmp"
  VANDRIX_WINE_DIR="$root/$arch"
  if [ -s "$VANDRIX_WINE_DIR/display" ]; then
    DISPLAY=":$(cat "$VANDRIX_WINE_DIR/display")"
    export DISPLAY
  else
    unset DISPLAY
  fi
  export WINEPREFIX="$root/$arch/prefix"
  export WINEARCH=$arch
  export HOME="$root/$arch/home"
  export TMPDIR="$root/$arch/tmp"
  export XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CONFIG_HOME="$HOME/.config"
  export XDG_CACHE_HOME="$HOME/.cache"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
  if [ "$arch" = win64 ]; then
    export VANDRIX_WINE=/usr/lib/wine/wine64
    export WINELOADER=$VANDRIX_WINE
    export WINESERVER=/usr/lib/wine/wineserver64
  else
    export VANDRIX_WINE=/usr/lib/wine/wine
    export WINESERVER=/usr/bin/wineserver
  fi
}

# True when this host can run Wine for the chosen ARCH. 32-bit Wine needs
# the kernel's 32-bit program support (ia32 emulation), which some kernels
# leave off.
vandrix_wine_usable() {
  [ -x "$VANDRIX_WINE" ] && "$VANDRIX_WINE" --version >/dev/null 2>&1
}

# Starts an X server of the run's own (Xvfb, on a free display) when Xvfb is
# installed, so that windows can be shown, found and looked at; its display
# number goes to VANDRIX_WINE_DIR/display.
vandrix_display_start() {
  local dir="$VANDRIX_WINE_DIR" i=0
  rm -f "$dir/display" "$dir/display.new"
  command -v Xvfb >/dev/null 2>&1 || return 0
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$dir/display.new" </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/xvfb.pid"
  while [ ! -s "$dir/display.new" ] && [ $i -lt 100 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  [ -s "$dir/display.new" ] || return 0
  mv "$dir/display.new" "$dir/display"
  DISPLAY=":$(cat "$dir/display")"
  export DISPLAY
}

# True while the process runs: there, and neither a zombie nor dead.
vandrix_running() {
  local state
  state=$(sed 's/.*) \([A-Za-z]\).*/\1/' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

vandrix_display_stop() {
  local dir="$VANDRIX_WINE_DIR" pid i
  pid=$(cat "$dir/xvfb.pid" 2>/dev/null) || pid=
  if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
    kill "$pid" 2>/dev/null || true
    i=0  # until it has ended (a zombie has ended too)
    while vandrix_running "$pid" && [ $i -lt 30 ]; do
      sleep 0.1
      i=$((i + 1))
    done
  fi
  rm -f "$dir/xvfb.pid" "$dir/display" "$dir/display.new"
}

# Creates the prefix if needed and starts one persistent wineserver for it,
# so that later program starts do not each wait for a server to come up.
# A server or X server left by an interrupted run is stopped first: Wine's
# background services must start with this run's DISPLAY.
vandrix_wine_start() {
  vandrix_wine_usable || return 0
  mkdir -p "$WINEPREFIX"
  vandrix_wine_stop
  vandrix_display_start
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  # wineboot also starts Wine's background services with no terminal or
  # pipe of the caller's: started later by a test, they would hold the
  # test's output open until the server ends.
  "$VANDRIX_WINE" wineboot -i >/dev/null 2>&1 </dev/null
  [ -d "$WINEPREFIX/drive_c/windows/system32" ]
}

vandrix_wine_stop() {
  vandrix_wine_usable || return 0
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  vandrix_display_stop
}

# A Unix path as Windows programs see it: on drive Z: when Z: is the Unix
# root, as in every new prefix; else as winepath tells.
vandrix_win_path() {
  if [ "$(readlink "$WINEPREFIX/dosdevices/z:")" = / ]; then
    printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"
  else
    timeout 60 "$VANDRIX_WINE" winepath -w "$1" </dev/null 2>/dev/null | tr -d '\r\n'
  fi
}
