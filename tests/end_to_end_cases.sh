# shellcheck shell=bash
# Sourced by end_to_end.sh (Vandrix.exe under Wine) and end_to_end_posix.sh
# (vandrix): the cases that run the real program on real files, the scratch
# folder they run in and the checks made on disk afterwards.
#
# The sourcing script defines:
#   e2e_run PROGRAM TAIL   runs the program with the case's arguments; prints
#                          the exit code as e2e_exit_text prints it, or fails.
#                          PROGRAM is "plain"; "spaced", a copy in a folder
#                          whose name has a space; "utf16", the program started
#                          with a UTF-16 command line, as a command prompt
#                          starts it (plain on Linux); "cp1252", a copy that
#                          runs in code page 1252 instead of UTF-8, as on
#                          Windows before 10 1903 (plain on Linux)
#   e2e_exit_text CODE     the platform's spelling of an exit code (0, 1, -1)
#   e2e_path NAME          NAME inside the scratch folder, as the program is
#                          to be given it
# and sets E2E_ROOT (a folder of its own), E2E_TRASH (the trash folder a
# delete with undo puts items into) and E2E_SHELL (wine, or linux).
E2E_README=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/README.md
E2E_RELEASE_README=${E2E_README%/*}/resources/README.txt.in

# One case a line: name | program | arguments | exit code | checks [| wine
# [| linux]]. {NAME} in the arguments is a file or folder in the scratch
# folder; <NAME> inside it is the path of NAME spelt with look-alike
# characters (U+FF1A for ":", U+FF3C for "\", U+FF0F for "/"); LONGNAME, in
# the arguments or a check, is a name of 230 bytes. A sixth
# field, "EXIT CHECKS...", is what Wine's shell service does instead where it
# is known to differ from Windows' (said above the row); a seventh is what
# vandrix does instead where Linux differs (said above the row too); the
# other platforms keep the fourth and fifth fields. Lines starting with "#"
# are comments.
# Checks, on the scratch folder after the run:
#   keep:F      F is there with its bytes from before the run
#   gone:F      F is not there
#   copy:F=G    F is there with the bytes that G had before the run
#   same        nothing in the scratch folder changed
#   trash:G     the trash holds one item, with G's bytes from before
#   notrash     the trash holds nothing
e2e_cases() {
  cat <<'EOF'
copy_file      | plain  | /c /s copy {a.txt} {out}                | 0  | copy:out/a.txt=a.txt keep:a.txt notrash
copy_two_files | plain  | /c /s copy {a.txt};{b.txt} {out}        | 0  | copy:out/a.txt=a.txt copy:out/b.txt=b.txt keep:a.txt keep:b.txt
move_file      | plain  | /c /s move {a.txt} {out}                | 0  | gone:a.txt copy:out/a.txt=a.txt keep:b.txt
delete_file    | plain  | /c /s del {a.txt}                       | 0  | gone:a.txt keep:b.txt notrash
delete_to_trash| plain  | /c /s /u del {a.txt}                    | 0  | gone:a.txt keep:b.txt trash:a.txt
rename_file    | plain  | /c /s ren {old.txt} {new.txt}           | 0  | gone:old.txt copy:new.txt=old.txt keep:a.txt
missing_source | plain  | /c /s /e copy {missing.txt} {out}       | 1  | same notrash
# A wildcard that stands for no item (it matches nothing, or its folder is
# missing or a file) is an error to vandrix, as to cp and rm: nothing is
# done, exit 1. Wine 8's shell does nothing too, but answers 0.
copy_no_match  | plain  | /c /s /e copy {*.none} {out}            | 1  | same | 0 same
move_no_match  | plain  | /c /s /e move {*.none} {out}            | 1  | same | 0 same
del_no_match   | plain  | /c /s /e del {*.none}                   | 1  | same notrash | 0 same notrash
copy_wild_nodir | plain | /c /s /e copy {missing/*} {out}         | 1  | same | 0 same
del_wild_in_file | plain | /c /s /e del {a.txt/*}                 | 1  | same notrash | 0 same notrash
unknown_word   | plain  | frob {a.txt} {b.txt}                    | -1 | same
help_h_alone   | plain  | /h                                      | -1 | same
spaced_program | spaced | /c /s copy {a.txt} {out}                | 0  | copy:out/a.txt=a.txt keep:a.txt
copy_folder    | plain  | /c /s copy {dir} {out}                  | 0  | copy:out/dir/x.txt=dir/x.txt copy:out/dir/sub/y.txt=dir/sub/y.txt keep:dir/x.txt
copy_wildcard  | plain  | /c /s copy {*.tmp} {out}                | 0  | copy:out/c.tmp=c.tmp copy:out/d.tmp=d.tmp keep:c.tmp gone:out/a.txt
delete_folder  | plain  | /c /s del {dir}                         | 0  | gone:dir keep:a.txt notrash
delete_wildcard| plain  | /c /s del {*.tmp}                       | 0  | gone:c.tmp gone:d.tmp keep:a.txt keep:dir/x.txt
copy_list_new  | plain  | /c /s copy {a.txt};{b.txt} {Store}      | 0  | copy:Store/a.txt=a.txt copy:Store/b.txt=b.txt keep:a.txt keep:b.txt
copy_wild_new  | plain  | /c /s copy {*.tmp} {Store}              | 0  | copy:Store/c.tmp=c.tmp copy:Store/d.tmp=d.tmp keep:c.tmp
copy_pairs     | plain  | /c /s copy {a.txt};{b.txt} {out/p.txt};{q.txt} | 0 | copy:out/p.txt=a.txt copy:q.txt=b.txt gone:out/a.txt gone:out/b.txt
copy_new_name  | plain  | /c /s copy {a.txt} {out/new.txt}        | 0  | copy:out/new.txt=a.txt gone:out/a.txt keep:a.txt
move_with_folder | plain | /c /s move {dir};{a.txt} {out}         | 0  | copy:out/dir/x.txt=dir/x.txt copy:out/a.txt=a.txt gone:dir gone:a.txt
# Windows makes the folder Store and moves both into it. Wine 8 moves each
# source in turn to the name Store, replacing what is there: the folder dir
# replaces the file a.txt, whose data is lost, and it says 0 (README, Tests).
move_folder_new | plain | /c /s move {a.txt};{dir} {Store}        | 0  | copy:Store/dir/x.txt=dir/x.txt copy:Store/a.txt=a.txt gone:dir gone:a.txt | 0 copy:Store/x.txt=dir/x.txt gone:dir gone:a.txt
move_new_name  | plain  | /c /s move {b.txt} {moved.txt}          | 0  | copy:moved.txt=b.txt gone:b.txt
move_pairs     | plain  | /c /s move {a.txt};{b.txt} {out/p.txt};{q.txt} | 0 | copy:out/p.txt=a.txt copy:q.txt=b.txt gone:a.txt gone:b.txt
# Wine refuses to move several files, none of them a folder, to a single
# destination (ERROR_CANCELLED, nothing moved); Windows moves them all.
move_list_into | plain  | /c /s move {a.txt};{b.txt} {out}        | 0  | copy:out/a.txt=a.txt copy:out/b.txt=b.txt gone:a.txt gone:b.txt | 1 same
move_list_new  | plain  | /c /s move {a.txt};{b.txt} {Store}      | 0  | copy:Store/a.txt=a.txt copy:Store/b.txt=b.txt gone:a.txt gone:b.txt | 1 same
move_wild_into | plain  | /c /s move {*.tmp} {out}                | 0  | copy:out/c.tmp=c.tmp copy:out/d.tmp=d.tmp gone:c.tmp gone:d.tmp keep:a.txt | 1 same
move_wild_new  | plain  | /c /s move {*.tmp} {Store}              | 0  | copy:Store/c.tmp=c.tmp copy:Store/d.tmp=d.tmp gone:c.tmp gone:d.tmp | 1 same
# The README's examples for cmd, each as it stands there (e2e_check_readme).
# Here C:\DataStore exists and C:\Data holds a folder, so Wine, too, moves
# everything (see the rows above for what it does otherwise).
readme_copy    | plain  | /c /s copy "{In/a.txt};{In/b.txt}" {Backup} | 0 | copy:Backup/a.txt=In/a.txt copy:Backup/b.txt=In/b.txt keep:In/a.txt keep:In/b.txt
readme_move    | plain  | move {Data/*.*} {DataStore}             | 0  | copy:DataStore/report.doc=Data/report.doc copy:DataStore/notes/today.txt=Data/notes/today.txt gone:Data/report.doc gone:Data/notes
readme_trash   | plain  | /c /u del {Temp/*.tmp}                  | 0  | gone:Temp/old.tmp keep:Temp/keep.txt trash:Temp/old.tmp
readme_rename  | plain  | ren {Reports/draft.txt} {Reports/final.txt} | 0 | copy:Reports/final.txt=Reports/draft.txt gone:Reports/draft.txt
readme_new_name| plain  | /c /s copy {In/a.txt} {In/a-copy.txt}   | 0  | copy:In/a-copy.txt=In/a.txt keep:In/a.txt
readme_semicolon | plain | /c /s del {Notes/old?new.txt}         | 0  | gone:Notes/old;new.txt keep:Notes/old.txt keep:Notes/new.txt
# Names in any language, started as a command prompt starts a program: the
# exact name arrives, and the names that its "?" form (a wildcard) or its
# look-alike ASCII characters would match stay untouched. A fullwidth quote
# does not end the argument; U+2010 before "H" is no usage request.
delete_cjk     | utf16  | /c /s del {intl/日本.txt}               | 0  | gone:intl/日本.txt keep:intl/ab.txt keep:intl/xy.txt keep:intl/a.txt
delete_emoji   | utf16  | /c /s del {intl/📷a.jpg}                | 0  | gone:intl/📷a.jpg keep:intl/xya.jpg keep:intl/xa.jpg
copy_cyrillic  | utf16  | /c /s copy {intl/сервер.txt} {out}      | 0  | copy:out/сервер.txt=intl/сервер.txt keep:intl/сервер.txt keep:intl/cepbep.txt gone:out/cepbep.txt
move_mixed     | utf16  | /c /s move {intl/naïve-ключ.txt} {out}  | 0  | copy:out/naïve-ключ.txt=intl/naïve-ключ.txt gone:intl/naïve-ключ.txt keep:intl/naïve-kluc.txt gone:out/naïve-kluc.txt
fullwidth_quote| utf16  | /c /s del "{intl/x＂.txt}"              | 0  | gone:intl/x＂.txt keep:intl/x
unicode_hyphen | utf16  | /c /s del {intl/memo‐Hint.txt}          | 0  | gone:intl/memo‐Hint.txt keep:intl/a.txt
# A name that holds ";" and names an existing item is refused, nothing
# touched (here the look-alike path of the folder keep follows it); a ";"
# list whose whole text names no item still splits. The program runs in the
# scratch folder, so "new" alone would name scratch/new.
fullwidth_path | utf16  | /c /s del {intl/old;<keep>}             | -1 | same
semicolon_name | plain  | /c /s del {old;new}                     | -1 | same
semicolon_list | plain  | /c /s del {old};{new}                   | 0  | gone:old gone:new keep:old;new
# Lines the shell would read as naming other items than the user did are
# refused, nothing touched. A closing quote glued to more text (a batch
# file's "%USERPROFILE%"\Desktop\x.txt) would end the path at the quote;
# an empty argument ("%SRC%" with SRC empty) or a name taken for an option
# would make the destination the source; a path more than the operation
# takes, or a list of destinations of another length, would be ignored or
# made folders. On Linux the arguments are split at spaces and stripped of
# quotes, as a POSIX shell would, and cp's form copies several sources
# into a folder (rows say what vandrix then does). Each line is started as
# a command prompt starts it, in UTF-16.
glued_quote    | utf16  | /c /s del "{My Files}"\old.txt          | -1 | same | | 1 same
glued_wildcard | utf16  | /c /s del "{My Files}"\*.tmp            | -1 | same | | 1 same
empty_source   | utf16  | /c /s copy "" {saved/notes.txt}        | -1 | same
dash_source    | utf16  | /c /s copy -notes.txt {saved/notes.txt} | -1 | same
three_paths    | utf16  | /c /s copy {b.txt} {a.txt} {out}        | -1 | same | | 0 copy:out/a.txt=a.txt copy:out/b.txt=b.txt keep:a.txt keep:b.txt
two_deletes    | utf16  | /c /s del {a.txt} {b.txt}               | -1 | same | | 0 gone:a.txt gone:b.txt keep:old.txt
longer_dests   | utf16  | /c /s move {a.txt};{b.txt} {x.txt};{y.txt};{z.txt} | -1 | same
shorter_dests  | utf16  | /c /s copy {a.txt} {x.txt};{y.txt}      | -1 | same
# A ";" text is split only where a look finds nothing of that name: here
# the folder "runs;old" that the wildcard's last part is matched in, and
# the file "d/old;fresh" named with a trailing backslash, which a look
# with the backslash does not find (on Linux the backslash is part of a
# name that is not there: the list splits, and its second path is missing).
semicolon_wild | utf16  | /c /s del "{runs;old/*.tmp}"            | -1 | same
semicolon_slash| utf16  | /c /s del "{d/old;fresh}\"              | -1 | same | | 1 same
# Windows keeps a leading space in a name: " a.txt" is not a.txt.
leading_space  | utf16  | /c /s del " a.txt"                      | -1 | same
# A full path of MAX_PATH (260) or more is more than the shell's call takes:
# given the relative name alone, Wine's shell deletes the whole current
# folder. vandrix has no such limit (the relative name is not in the folder
# it runs in).
long_path      | utf16  | /c /s del {long/LONGNAME}               | -1 | same | | 0 gone:long/LONGNAME keep:long/short.txt
long_relative  | utf16  | /c /s del LONGNAME                      | -1 | same | | 1 same
# A new name without a folder is a name in the item's own folder; a rename
# into another folder is refused (vandrix fails it: 1).
rename_bare    | utf16  | /c /s ren {dir/x.txt} x2.txt            | 0  | copy:dir/x2.txt=dir/x.txt gone:dir/x.txt gone:x2.txt
rename_across  | utf16  | /c /s ren {dir/x.txt} {x2.txt}          | -1 | same | | 1 same
# /f keeps the folders a wildcard matches, not one named outright (vandrix
# refuses -f where no source holds a wildcard: it would leave out nothing).
files_only_dir | plain  | /c /s /f del {dir}                      | 0  | gone:dir keep:a.txt | | -1 same
files_only_wild| plain  | /c /s /f del {dir/*.*}                  | 0  | gone:dir/x.txt keep:dir/sub/y.txt
# /r gives the copy a new name beside b.txt; Wine 8's shell ignores it and
# replaces b.txt (README, Under Wine).
keep_both      | plain  | /c /s /r copy {a.txt} {b.txt}           | 0  | keep:b.txt keep:a.txt | 0 copy:b.txt=a.txt
# A new name alone is a name in the item's folder (README.txt's example).
readme_ren_bare| plain  | ren {Reports/draft.txt} final.txt       | 0  | copy:Reports/final.txt=Reports/draft.txt gone:Reports/draft.txt gone:final.txt
# Code page 1252 (Windows before 10 1903 ignores the manifest's UTF-8): a
# line that 1252 cannot hold is refused, nothing touched; a line in 1252
# works. vandrix has no code page: there the name arrives and goes.
cp1252_refused | cp1252 | /c /s del {intl/日本.txt}               | -1 | same | | 0 gone:intl/日本.txt keep:intl/ab.txt keep:intl/xy.txt
cp1252_name    | cp1252 | /c /s del {intl/é.txt}                  | 0  | gone:intl/é.txt keep:intl/e.txt
EOF
}

# --- the scratch folder -------------------------------------------------------

e2e_originals() { printf '%s/originals' "$E2E_ROOT"; }
e2e_scratch() { printf '%s/scratch' "$E2E_ROOT"; }

# The files every case starts from; bytes that a text-mode copy would change.
e2e_make_originals() {
  local o
  o=$(e2e_originals)
  rm -rf "$o" && mkdir -p "$o/out"
  printf 'alpha\r\nline\n\000\377end' >"$o/a.txt"
  printf 'bravo\n' >"$o/b.txt"
  printf 'old name\n' >"$o/old.txt"
  mkdir -p "$o/dir/sub"
  printf 'in a folder\n' >"$o/dir/x.txt"
  printf 'deeper\n' >"$o/dir/sub/y.txt"
  printf 'scratch c\n' >"$o/c.tmp"
  printf 'scratch d\n' >"$o/d.tmp"
  # The folders of the README's examples.
  mkdir -p "$o/In" "$o/Data/notes" "$o/DataStore" "$o/Temp" "$o/Reports" "$o/Notes"
  printf 'in a\r\n' >"$o/In/a.txt"
  printf 'in b\r\n' >"$o/In/b.txt"
  printf 'report\r\n' >"$o/Data/report.doc"
  printf 'note\r\n' >"$o/Data/notes/today.txt"
  printf 'old\r\n' >"$o/Temp/old.tmp"
  printf 'keep\r\n' >"$o/Temp/keep.txt"
  printf 'draft\r\n' >"$o/Reports/draft.txt"
  printf 'old or new\r\n' >"$o/Notes/old;new.txt"
  printf 'old\r\n' >"$o/Notes/old.txt"
  printf 'new\r\n' >"$o/Notes/new.txt"
  e2e_make_lookalikes "$o"
  e2e_make_decoys "$o"
}

# A name of 230 bytes: its full path in the scratch folder is past MAX_PATH.
E2E_LONG=$(printf 'n%.0s' {1..230})

# The items that a line read otherwise than the user meant would reach: a
# folder with a space, folders whose names hold ";" beside those their parts
# name, an older backup of a newer file, a name with a leading space.
e2e_make_decoys() {
  local o=$1
  mkdir -p "$o/My Files" "$o/runs;old" "$o/runs" "$o/d/old" "$o/fresh" \
    "$o/saved" "$o/long"
  printf 'old\r\n' >"$o/My Files/old.txt"
  printf 'keep\r\n' >"$o/My Files/keep.txt"
  printf 'w\r\n' >"$o/runs;old/w.tmp"
  printf 'l\r\n' >"$o/runs/l.txt"
  printf 'n\r\n' >"$o/d/old;fresh"
  printf 'o\r\n' >"$o/d/old/o.txt"
  printf 'f\r\n' >"$o/fresh/f.txt"
  printf 'older\r\n' >"$o/saved/notes.txt"
  printf 'newer\r\n' >"$o/notes.txt"
  printf 'leading space\r\n' >"$o/ a.txt"
  printf 'long\r\n' >"$o/long/$E2E_LONG"
  printf 'long\r\n' >"$o/$E2E_LONG"
  printf 'short\r\n' >"$o/long/short.txt"
}

# Names that a code page cannot hold, each beside the names its "?" form or
# its look-alike ASCII characters match; names that hold ";" beside the items
# their parts name.
e2e_make_lookalikes() {
  local o=$1 name
  mkdir -p "$o/intl" "$o/keep"
  for name in 日本.txt ab.txt xy.txt a.txt 📷a.jpg xya.jpg xa.jpg сервер.txt cepbep.txt \
              naïve-ключ.txt naïve-kluc.txt x＂.txt x memo‐Hint.txt é.txt e.txt old \
              "old;$(e2e_lookalike keep)"; do
    printf '%s\n' "$name" >"$o/intl/$name"
  done
  printf 'kept\n' >"$o/keep/k.txt"
  printf 'old\n' >"$o/old"
  printf 'new\n' >"$o/new"
  printf 'old;new\n' >"$o/old;new"
}

# The path of NAME in the scratch folder, with look-alikes for ":", "\", "/".
e2e_lookalike() {
  local path
  path=$(e2e_path "$1")
  path=${path//:/：}
  path=${path//\\/＼}
  printf '%s' "${path//\//／}"
}

e2e_fresh_scratch() {
  local s
  s=$(e2e_scratch)
  rm -rf "$s" "$E2E_TRASH"
  cp -a "$(e2e_originals)" "$s"
}

# --- checks -------------------------------------------------------------------

# One check; prints what is wrong, if anything.
e2e_check() {
  local s o name from
  s=$(e2e_scratch) o=$(e2e_originals)
  set -- "${1//LONGNAME/$E2E_LONG}"
  case $1 in
    keep:*) name=${1#keep:}
            cmp -s "$o/$name" "$s/$name" || echo "$name changed or missing" ;;
    gone:*) name=${1#gone:}
            [ ! -e "$s/$name" ] || echo "$name still there" ;;
    copy:*) name=${1#copy:} from=${name#*=} name=${name%%=*}
            cmp -s "$o/$from" "$s/$name" || echo "$name is not $from's bytes" ;;
    same)   diff -r "$o" "$s" >/dev/null || echo "scratch folder changed" ;;
    trash:*) e2e_check_trash "${1#trash:}" ;;
    notrash) [ -z "$(e2e_trash_items)" ] || echo "trash not empty" ;;
    *)      echo "unknown check $1" ;;
  esac
}

e2e_trash_items() {
  [ -d "$E2E_TRASH/files" ] && ls -A "$E2E_TRASH/files"
  return 0
}

e2e_check_trash() {
  local items
  items=$(e2e_trash_items)
  if [ "$(printf '%s' "$items" | grep -c .)" != 1 ]; then
    echo "trash holds '${items//$'\n'/ }', not one item"
  elif ! cmp -s "$(e2e_originals)/$1" "$E2E_TRASH/files/$items"; then
    echo "trash item $items is not $1's bytes"
  fi
}

# --- running the table --------------------------------------------------------

# The arguments with each {NAME} replaced by PATH_FN NAME (default e2e_path),
# after each <INNER> in NAME is replaced by e2e_lookalike INNER.
e2e_expand() {
  local text=${1//LONGNAME/$E2E_LONG} path_fn=${2:-e2e_path} out='' name path
  while [[ $text =~ \{([^}]*)\} ]]; do
    name=${BASH_REMATCH[1]} path=${BASH_REMATCH[1]}
    while [[ $path =~ \<([^>]*)\> ]]; do
      path=${path/"<${BASH_REMATCH[1]}>"/"$(e2e_lookalike "${BASH_REMATCH[1]}")"}
    done
    out+=${text%%"{$name}"*}$("$path_fn" "$path")
    text=${text#*"{$name}"}
  done
  printf '%s' "$out$text"
}

e2e_trim() {
  local text=$1
  text=${text#"${text%%[! ]*}"}
  printf '%s' "${text%"${text##*[! ]}"}"
}

# Runs one case; prints its line; returns non-zero when it failed. Under
# Wine (E2E_SHELL=wine) a sixth field replaces the exit code and checks, on
# Linux (E2E_SHELL=linux) a seventh.
e2e_case() {
  local name=$1 program=$2 tail=$3 code=$4 checks=$5 expected got problems='' check instead=''
  case ${E2E_SHELL:-} in
    wine) instead=${6:-} ;;
    linux) instead=${7:-} ;;
  esac
  if [ -n "$instead" ]; then
    code=${instead%% *} checks=${instead#* }
  fi
  expected=$(e2e_exit_text "$code")
  e2e_fresh_scratch
  got=$(e2e_run "$program" "$tail") || got="(did not run)"
  [ "$got" = "$expected" ] || problems+="exit code; "
  for check in $checks; do
    problems+=$(e2e_check "$check" | sed 's/$/; /' | tr -d '\n')
  done
  e2e_report "$name" "$expected" "$got" "$problems"
}

# Prints one case's line: NAME EXPECTED GOT PROBLEMS ("; "-separated, empty
# when the case passed); returns non-zero when there were problems.
e2e_report() {
  local name=$1 expected=$2 got=$3 problems=$4
  if [ -z "$problems" ]; then
    printf '%-17s expected %-10s got %-10s ok\n' "$name" "$expected" "$got"
    return 0
  fi
  printf '%-17s expected %-10s got %-10s FAILED: %s\n' \
    "$name" "$expected" "$got" "${problems%; }"
  return 1
}

# Runs CASE_FN once for each line that TABLE_FN prints, with the line's
# "|"-separated fields, trimmed, as arguments; prints a closing count and
# fails when any case failed.
e2e_run_table() {
  local table=$1 case_fn=$2 line field passed=0 failed=0
  local -a fields
  while IFS= read -r -u 3 line; do
    [[ $line == '#'* ]] && continue
    fields=()
    while IFS= read -r -d '|' field; do fields+=("$(e2e_trim "$field")"); done <<<"$line|"
    if "$case_fn" "${fields[@]}"; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
    fi
  done 3< <("$table")
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
}

# --- the README's examples ------------------------------------------------------

# NAME as the README's examples write it: C:\NAME, with backslashes.
e2e_readme_path() { printf 'C:\\%s' "${1//\//\\}"; }

# The "Vandrix.exe ..." lines of the examples for cmd in README.md and in
# the release's README.txt, without the program's name.
e2e_readme_examples() {
  sed -n '/^```bat$/,/^```$/s/^Vandrix\.exe //p' "$E2E_README"
  sed -n '/^Examples$/,$s/^  Vandrix\.exe //p' "$E2E_RELEASE_README"
}

# Fails, naming it, for every README example that is no case's arguments:
# an example that does not work then fails the tests.
e2e_check_readme() {
  local forms example missing=0 count=0
  forms=$(e2e_cases | grep -v '^#' | cut -d'|' -f3 | while IFS= read -r tail; do
    e2e_expand "$(e2e_trim "$tail")" e2e_readme_path; echo; done)
  while IFS= read -r example; do
    count=$((count + 1))
    grep -qxF -- "$example" <<<"$forms" && continue
    echo "README example without a case: $example"
    missing=$((missing + 1))
  done < <(e2e_readme_examples)
  echo "README examples: $count, of which $missing without a case"
  [ "$count" -gt 0 ] && [ "$missing" = 0 ]
}

# Runs every case; prints a closing count; returns non-zero on any failure.
e2e_run_all() {
  local status=0
  e2e_make_originals
  e2e_run_table e2e_cases e2e_case || status=1
  e2e_check_readme || status=1
  return "$status"
}
