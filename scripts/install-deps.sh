#!/usr/bin/env bash
# Installs what building and testing Vandrix needs on Debian 12, and only
# what is missing: compilers (native and mingw-w64), CMake, GoogleTest, Wine
# (32- and 64-bit), Xvfb and the tools the tests use, and what installing
# and packaging vandrix is checked with (man, mandoc, bash-completion,
# dpkg-dev, file, lintian). Safe to run again.
set -euo pipefail

packages=(
  cmake make g++ googletest
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
  xvfb xdotool x11-utils imagemagick
  icoutils python3 python3-pefile hyperfine
  clang libclang-rt-14-dev libbenchmark-dev
  man-db mandoc bash-completion dpkg-dev file lintian
)

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' ||
      echo "$p"
  done
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

main() {
  local missing
  missing=$(missing_packages)
  if [ -z "$missing" ]; then
    echo "install-deps: everything is installed"
    return
  fi
  echo "install-deps: installing" $missing
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  # A mirror caught mid-sync fails one list; the install below still fails
  # when a package is really out of reach.
  as_root apt-get update -qq ||
    echo "install-deps: some package lists were not refreshed; going on"
  # A mirror caught mid-sync can also leave one architecture's security list
  # behind the other's; the 32-bit libraries then cannot match the 64-bit
  # ones, and both architectures take the release's own versions instead.
  # shellcheck disable=SC2086
  install $missing || {
    echo "install-deps: trying again with the release's own versions"
    install -t "$(release_codename)" $missing
  }
  echo "install-deps: done"
}

install() {
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

release_codename() {
  . /etc/os-release
  echo "${VERSION_CODENAME:-bookworm}"
}

main "$@"
