#!/bin/bash
# vandrix as a Linux user gets it, from a built native folder:
#   install_and_package.sh install BUILD  cmake --install into BUILD/install-test,
#       then the installed program runs, its manual page renders and lints
#       cleanly and names the options of --help (and no others), and the
#       bash, zsh and fish completions offer the operations and those options
#   install_and_package.sh package BUILD  cpack's Debian package: lintian
#       (-I --pedantic) finds no error and no hardening tag, it holds the
#       program, the page, the completions and the copyright file, it depends
#       on the shared C and C++ libraries, and its program binds every symbol
#       at start (BIND_NOW) with read-only relocations (GNU_RELRO)
set -euo pipefail

mode=$1 build=$(cd "$2" && pwd)
problems=0
fail() { echo "FAILED: $*"; problems=$((problems + 1)); }

# "-c --yes" or "--version": the options of a listing, one a line, sorted.
options_of() { sed -nE 's/^ +(-[a-z?], )?(--[a-z-]+)( .*)?$/\1\2/p' | tr -d ',' | sort; }

# The options --help names, as options_of gives them; with "words", each
# letter and name alone.
help_options() {
  local options
  options=$("$prefix/bin/vandrix" --help | options_of)
  if [ "${1-}" = words ]; then tr ' ' '\n' <<<"$options" | sort; else echo "$options"; fi
}

# Says how `listed` differs from what help_options gives.
same_options() {
  local what=$1 listed=$2 help
  help=$(help_options "${3-}")
  [ "$listed" = "$help" ] ||
    fail "$what and --help name other options:" $'\n'"$(diff <(echo "$help") <(echo "$listed"))"
}

# What the installed bash completion offers for the words of a line.
bash_offers() {
  XDG_DATA_DIRS=$prefix/share bash -c '
    source /usr/share/bash-completion/bash_completion
    __load_completion vandrix || exit 1
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
    fn=$(complete -p vandrix | sed -E "s/.* -F ([^ ]+) .*/\1/")
    "$fn" vandrix "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    echo "${COMPREPLY[*]}"' bash vandrix "$@"
}

check_install() {
  prefix=$build/install-test
  rm -rf "$prefix"
  cmake --install "$build" --prefix "$prefix" >/dev/null
  local page=$prefix/share/man/man1/vandrix.1.gz work=$prefix/work
  # The installed program does a real copy.
  mkdir -p "$work" && echo text >"$work/a.txt"
  "$prefix/bin/vandrix" --yes --no-progress copy "$work/a.txt" "$work/b.txt" &&
    cmp -s "$work/a.txt" "$work/b.txt" || fail "the installed vandrix did not copy"
  # The page: found by man, rendered, clean to mandoc's lint, its options
  # those of --help.
  MANPATH=$prefix/share/man man -w vandrix >/dev/null || fail "man does not find the page"
  local text lint
  text=$(MANWIDTH=80 man -l "$page" 2>&1)
  grep -q '^NAME' <<<"$text" && grep -q 'vandrix - copy, move' <<<"$text" ||
    fail "man -l does not render the page: $(head -n 3 <<<"$text")"
  for section in SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' EXAMPLES FILES 'SEE ALSO'; do
    grep -q "^$section\$" <<<"$text" || fail "the page has no $section"
  done
  lint=$(zcat "$page" | mandoc -T lint -W all 2>&1) || true
  [ -z "$lint" ] || fail "mandoc -T lint: $lint"
  same_options "the page's OPTIONS" "$(sed -n '/^OPTIONS$/,/^[A-Z]/p' <<<"$text" | options_of)"
  # The completions: an operation word, an option, and every long name.
  [ "$(bash_offers co)" = copy ] || fail "bash completes 'co' to '$(bash_offers co)'"
  [ "$(bash_offers -c --n)" = "--no-clobber --no-names --no-progress" ] ||
    fail "bash completes '--n' to '$(bash_offers -c --n)'"
  [ -z "$(bash_offers copy a.txt co)" ] || fail "bash offers an operation for a path"
  same_options "bash's completion" "$(bash_offers - | tr ' ' '\n' | sort)" words
  same_options "zsh's completion" "$(grep -oE -- '\{-[a-z],--[a-z-]+\}|\)--[a-z-]+\[' \
    "$prefix"/share/zsh/*/_vandrix | tr -d '{})[' | tr ',' '\n' | sort)" words
  same_options "fish's completion" "$(grep -oE -- ' -s [a-z]| -l [a-z-]+' \
    "$prefix/share/fish/vendor_completions.d/vandrix.fish" | sed -E 's/^ -s /-/; s/^ -l /--/' |
    sort)" words
}

check_package() {
  rm -rf "$build/package"
  (cd "$build" && cpack >/dev/null) || { fail "cpack"; return; }
  local deb lint contents depends unpacked
  deb=$(ls "$build"/package/vandrix_*.deb)
  lint=$(lintian -I --pedantic "$deb" 2>&1 | grep -v 'root privileges') || true
  echo "lintian -I --pedantic: ${lint:-no tags}"
  ! grep -q '^E:' <<<"$lint" || fail "lintian finds errors"
  ! grep -q ' hardening-' <<<"$lint" || fail "lintian finds the program not hardened"
  contents=$(dpkg-deb -c "$deb")
  for path in /usr/bin/vandrix /usr/share/man/man1/vandrix.1.gz \
    /usr/share/bash-completion/completions/vandrix /usr/share/zsh/vendor-completions/_vandrix \
    /usr/share/fish/vendor_completions.d/vandrix.fish /usr/share/doc/vandrix/copyright; do
    grep -q " \.$path\$" <<<"$contents" || fail "the package has no $path"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  grep -q '^libc6' <<<"$depends" || fail "no dependency found by shlibdeps"
  grep -q 'libstdc++6' <<<"$depends" || fail "no dependency on the shared C++ library"
  unpacked=$build/package/unpacked
  rm -rf "$unpacked" && dpkg-deb -x "$deb" "$unpacked"
  readelf -d "$unpacked/usr/bin/vandrix" | grep -q 'BIND_NOW' || fail "the program is not BIND_NOW"
  readelf -lW "$unpacked/usr/bin/vandrix" | grep -q 'GNU_RELRO' || fail "the program has no RELRO"
  [ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "the section is not utils"
}

"check_$mode"
[ "$problems" -eq 0 ] && echo "$mode: passed"
exit $((problems > 0))
