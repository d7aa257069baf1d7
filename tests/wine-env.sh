# Sourced: points Wine at an isolated prefix under the folder given as $1.
# Nothing outside that folder is read or written: the prefix, HOME (where a
# delete with undo puts its trash), TMPDIR and XDG_DATA_HOME all live there.
vandrix_wine_env() {
  local root=$1
  mkdir -p "$root/home" "$root/tmp" "$root/home/.local/share"
  export WINEPREFIX="$root/prefix"
  export WINEARCH=win32
  export HOME="$root/home"
  export TMPDIR="$root/tmp"
  export XDG_DATA_HOME="$root/home/.local/share"
  export XDG_CONFIG_HOME="$root/home/.config"
  export XDG_CACHE_HOME="$root/home/.cache"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
}

# Creates the prefix if needed and starts one persistent wineserver for it,
# so that each later program start does not wait for a server to come up.
vandrix_wine_start() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 </dev/null || true
  fi
  wineserver -p </dev/null >/dev/null 2>&1
}

vandrix_wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
