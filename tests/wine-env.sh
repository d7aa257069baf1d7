# Sourced. Wine in an isolated prefix: vandrix_wine_env ROOT ARCH, where
# ARCH is win32 (32-bit programs) or win64. Nothing outside ROOT is read or
# written: the prefix, HOME (where a delete with undo puts its trash),
# TMPDIR and XDG_DATA_HOME all live there. Sets VANDRIX_WINE to the loader.
vandrix_wine_env() {
  local root=$1 arch=${2:-win32}
  mkdir -p "$root/$arch/home/.local/share" "$root/$arch/tmp"
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

# Creates the prefix if needed and starts one persistent wineserver for it,
# so that later program starts do not each wait for a server to come up.
vandrix_wine_start() {
  vandrix_wine_usable || return 0
  mkdir -p "$WINEPREFIX"
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true  # one may run already
  # wineboot also starts Wine's background services with no terminal or
  # pipe of the caller's: started later by a test, they would hold the
  # test's output open until the server ends.
  "$VANDRIX_WINE" wineboot -i >/dev/null 2>&1 </dev/null
  [ -d "$WINEPREFIX/drive_c/windows/system32" ]
}

vandrix_wine_stop() {
  vandrix_wine_usable || return 0
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
}
