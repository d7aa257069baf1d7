#!/bin/bash
# Runs vandrix on real files, with the cases of end_to_end_cases.sh given as
# arguments, then its own cases as a shell runs them (globs, ~, --help), and
# checks that every Linux example of the README is one of them:
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
E2E_TRASH=$XDG_DATA_HOME/Trash E2E_SHELL=linux
mkdir -p "$E2E_ROOT/bin"
cp "$vandrix" "$E2E_ROOT/vandrix"
cp "$vandrix" "$E2E_ROOT/my tools/vandrix"
cp "$vandrix" "$E2E_ROOT/bin/vandrix"

# Relative to E2E_ROOT, where the program runs: the shared table's arguments
# are split at spaces, and E2E_ROOT may hold one.
e2e_path() { printf 'scratch/%s' "$1"; }

# Only the low byte of an exit code reaches a POSIX parent.
e2e_exit_text() { printf '%d' $(($1 & 0xFF)); }

# A Linux program gets its arguments as bytes, in no code page: the
# programs started as UTF-16 or in code page 1252 under Wine are vandrix.
program_path() {
  case $1 in
    plain|utf16|cp1252) printf '%s' "$E2E_ROOT/vandrix" ;;
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

# --- vandrix's own command line ---------------------------------------------

# What the cases below add to the scratch folder: three .tmp files in all,
# an older c.tmp in out (changed in 2001), a path that holds "/H", a name
# that starts with "-", a folder logs that holds only a dot file and a dot
# folder, report?.doc beside report1.doc and reportA.doc.
posix_make_originals() {
  local o
  o=$(e2e_originals)
  printf 'scratch e\n' >"$o/e.tmp"
  printf 'older c\n' >"$o/out/c.tmp"
  touch -d '2001-02-03 04:05:06' "$o/out/c.tmp"
  mkdir -p "$o/Pictures"
  printf 'jpeg bytes\n' >"$o/Pictures/Holiday.jpg"
  printf 'notes\n' >"$o/-notes.txt"
  mkdir -p "$o/logs/.git"
  printf 'keep\n' >"$o/logs/.keep"
  printf 'ref\n' >"$o/logs/.git/HEAD"
  printf 'one\n' >"$o/report?.doc"
  printf 'two\n' >"$o/report1.doc"
  printf 'three\n' >"$o/reportA.doc"
}

# name | command | exit code | checks
# The command is shell text that bash runs in the scratch folder, so globs
# are expanded (*.tmp is c.tmp d.tmp e.tmp), with HOME the scratch folder,
# vandrix on the PATH, standard input empty and no terminal. Checks, besides
# those of end_to_end_cases.sh:
#   out:RE, err:RE  a line of standard output / error matches the extended
#                   regular expression RE (no spaces: "." stands for one)
#   noout, noerr    standard output / error is empty
#   credit          the last line of standard output is the maker's credit
posix_cases() {
  cat <<'EOF'
first_copy       | vandrix copy a.txt a-copy.txt             | 0   | copy:a-copy.txt=a.txt keep:a.txt noerr noout
first_folder     | vandrix -v copy *.tmp backup/             | 0   | copy:backup/c.tmp=c.tmp copy:backup/d.tmp=d.tmp copy:backup/e.tmp=e.tmp noerr out:^made.folder.'backup/?'$ out:^'e.tmp'.->.'backup/e.tmp'$
glob_copy        | vandrix -c copy *.tmp out                 | 0   | copy:out/c.tmp=c.tmp copy:out/d.tmp=d.tmp copy:out/e.tmp=e.tmp keep:c.tmp keep:e.tmp noerr
glob_move        | vandrix -c move *.tmp out                 | 0   | copy:out/c.tmp=c.tmp copy:out/d.tmp=d.tmp copy:out/e.tmp=e.tmp gone:c.tmp gone:d.tmp gone:e.tmp
glob_delete      | vandrix -c del *.tmp                      | 0   | gone:c.tmp gone:d.tmp gone:e.tmp keep:a.txt keep:dir/x.txt notrash noerr
glob_dash_name   | vandrix -c del *.txt                      | 255 | same noout err:unknown.option.'o'.in.'-notes.txt'
glob_after_end   | vandrix -c del -- *.txt                   | 0   | gone:-notes.txt gone:a.txt gone:b.txt gone:old.txt keep:c.tmp
dots_unmatched   | vandrix -c del 'logs/*'                   | 1   | same noout err:^vandrix:.no.item.matches.'logs/\*'$
dots_matched     | vandrix -c del 'logs/.*'                  | 0   | gone:logs/.keep gone:logs/.git keep:a.txt
slash_file       | vandrix -c del a.txt old.txt/             | 1   | same noout err:^vandrix:.cannot.delete.'old.txt/':.Not.a.directory$
slash_move       | vandrix -c move old.txt/ out              | 1   | same noout err:^vandrix:.cannot.move.'old.txt/':.Not.a.directory$
slash_glob       | vandrix -c del 'dir/*/'                   | 0   | keep:dir/x.txt gone:dir/sub
wild_name        | vandrix -c del 'report?.doc'              | 255 | same noout err:^vandrix:.'report\?.doc'.names.an.item,.and.as.a.wildcard.other.items.too.\('report1.doc'\):.give.--literal
literal_name     | vandrix -c --literal del 'report?.doc'    | 0   | gone:report?.doc keep:report1.doc keep:reportA.doc
literal_list     | vandrix -c --literal del "Notes/old;new.txt" | 0 | gone:Notes/old;new.txt keep:Notes/old.txt keep:Notes/new.txt
absolute_copy    | vandrix -cs copy ~/a.txt "$PWD/dir"       | 0   | copy:dir/a.txt=a.txt keep:a.txt noerr
path_with_H      | vandrix -cs copy Pictures/Holiday.jpg out | 0   | copy:out/Holiday.jpg=Pictures/Holiday.jpg keep:Pictures/Holiday.jpg
dash_name        | vandrix -c del -- -notes.txt              | 0   | gone:-notes.txt keep:a.txt
combined_options | vandrix -cs copy a.txt b.txt              | 0   | copy:b.txt=a.txt keep:a.txt noerr
to_trash         | vandrix -cu del old.txt                   | 0   | gone:old.txt trash:old.txt
long_names       | vandrix --yes --no-progress copy *.tmp out | 0  | copy:out/c.tmp=c.tmp copy:out/e.tmp=e.tmp keep:d.tmp noerr
long_trash       | vandrix --trash --yes del old.txt          | 0  | gone:old.txt trash:old.txt noerr
no_terminal      | vandrix -u del *.tmp                      | 1   | same notrash err:^vandrix:.kept.'e.tmp':.no.terminal.to.ask;.pass.-c.to.move.it.to.the.trash$
script_clash     | vandrix copy *.tmp out                    | 1   | keep:out/c.tmp copy:out/d.tmp=d.tmp copy:out/e.tmp=e.tmp err:^vandrix:.kept.'out/c.tmp':.no.terminal.to.ask;.pass.-c.to.replace$
dry_run_delete   | vandrix --dry-run del *.tmp               | 1   | same notrash err:^vandrix:.kept.'c.tmp':.no.terminal.to.ask;.pass.-c.to.delete$
dry_run_yes      | vandrix --dry-run -c del *.tmp            | 0   | same notrash noerr out:^would.remove.'c.tmp'$ out:^would.remove.'d.tmp'$ out:^would.remove.'e.tmp'$
dry_run_copy     | vandrix --dry-run -c copy dir a.txt Store  | 0  | same noerr out:^would.make.folder.'Store'$ out:^would.copy.'dir/sub/y.txt'.->.'Store/dir/sub/y.txt'$ out:^would.copy.'a.txt'.->.'Store/a.txt'$
dry_run_replace  | vandrix --dry-run -c copy *.tmp out       | 0   | same noerr out:^would.copy.'c.tmp'.->.'out/c.tmp'.\(replacing.it\)$
dry_run_no_tty   | vandrix --dry-run copy *.tmp out          | 1   | same err:^vandrix:.kept.'out/c.tmp':.no.terminal.to.ask;.pass.-c.to.replace$
dry_run_twice    | vandrix --dry-run -c del a.txt a.txt      | 1   | same err:^vandrix:.cannot.delete.'a.txt':.No.such.file.or.directory$
dry_run_moved    | vandrix --dry-run -c move dir dir/x.txt out | 1 | same err:^vandrix:.cannot.move.'dir/x.txt':.No.such.file.or.directory$
dry_run_one_place | vandrix --dry-run -c copy "a.txt;b.txt" "out/x;./out/x" | 1 | same err:^vandrix:.will.not.replace.'./out/x',.just.placed.there.from.'a.txt'$
dry_run_refused  | vandrix --dry-run -c copy dir dir/in      | 1   | same noout err:the.target.lies.inside.the.source.folder
no_clobber       | vandrix -nv copy *.tmp out                | 0   | keep:out/c.tmp copy:out/d.tmp=d.tmp copy:out/e.tmp=e.tmp noerr out:^skipped.'c.tmp':.'out/c.tmp'.exists$ out:^'d.tmp'.->.'out/d.tmp'$
no_clobber_keep_both | vandrix -nr copy *.tmp out            | 255 | same noout err:give.one.of.them
jobs_copy        | vandrix -cs -j 2 copy dir Store             | 0   | copy:Store/x.txt=dir/x.txt copy:Store/sub/y.txt=dir/sub/y.txt keep:dir/x.txt noerr noout
jobs_verbose     | vandrix -cv --jobs=3 copy dir a.txt Store | 0   | copy:Store/dir/sub/y.txt=dir/sub/y.txt noerr out:^'dir/x.txt'.->.'Store/dir/x.txt'$ out:^'dir/sub/y.txt'.->.'Store/dir/sub/y.txt'$
jobs_delete      | vandrix -c --jobs 4 -v del dir            | 0   | gone:dir notrash noerr out:^removed.'dir/sub/y.txt'$ out:^removed.'dir'$
jobs_one         | vandrix -cs --jobs 1 copy dir Store       | 0   | copy:Store/sub/y.txt=dir/sub/y.txt noerr
jobs_zero        | vandrix -c --jobs 0 copy dir Store        | 255 | same noout err:-j.\(--jobs\).wants.a.number.of.workers.from.1.to.64,.not.'0'
jobs_word        | vandrix -c -j x del dir                   | 255 | same noout err:not.'x'
jobs_with_move   | vandrix -c -j 2 move dir Store            | 255 | same noout err:-j.\(--jobs\).has.no.effect.on.move
update_older     | vandrix -cv --update copy *.tmp out       | 0   | copy:out/c.tmp=c.tmp copy:out/d.tmp=d.tmp noerr out:^'c.tmp'.->.'out/c.tmp'$
update_newer     | touch out/c.tmp; vandrix -v --update copy *.tmp out | 0 | keep:out/c.tmp copy:out/d.tmp=d.tmp noerr out:^skipped.'c.tmp':.'out/c.tmp'.is.newer$
update_with_del  | vandrix --update del *.tmp                | 255 | same noout err:^vandrix:.--update.has.no.effect.on.del:.it.skips.a.file.whose.target.is.as.new.or.newer;
trash_with_copy  | vandrix -cu copy *.tmp out                | 255 | same noout err:^vandrix:.-u.\(--trash\).has.no.effect.on.copy:.it.makes.del.move.the.items.to.the.trash;
upper_case       | vandrix -R copy dir Store                 | 255 | same noout err:unknown.option.'-R':.the.letters.are.lower.case,.and.-r.is.--keep-both
files_only_glob  | vandrix -fc del -- *.tmp                  | 255 | same noout err:-f.\(--files-only\).has.no.effect.on.these.paths
files_only_list  | vandrix -fc del "old.txt;*.tmp"           | 0   | gone:old.txt gone:c.tmp gone:d.tmp gone:e.tmp keep:a.txt keep:dir/x.txt noerr
verbose_copy     | vandrix -cv copy dir a.txt Store          | 0   | copy:Store/dir/sub/y.txt=dir/sub/y.txt copy:Store/a.txt=a.txt noerr out:^made.folder.'Store'$ out:^'dir'.->.'Store/dir'$ out:^'dir/sub/y.txt'.->.'Store/dir/sub/y.txt'$ out:^'a.txt'.->.'Store/a.txt'$
unplaced_tree    | mkfifo dir/pipe; vandrix -cv copy dir out  | 1   | noout gone:out/dir err:^vandrix:.cannot.copy.'dir'.to.'out/dir':.not.all.of.it.arrived
verbose_move     | vandrix -v move *.tmp Store               | 0   | copy:Store/c.tmp=c.tmp gone:c.tmp out:^'c.tmp'.->.'Store/c.tmp'$ out:^'e.tmp'.->.'Store/e.tmp'$
verbose_rename   | vandrix --verbose ren old.txt new.txt     | 0   | copy:new.txt=old.txt out:^'old.txt'.->.'new.txt'$
verbose_delete   | vandrix -cv del dir b.txt                 | 0   | gone:dir gone:b.txt notrash out:^removed.'dir/sub/y.txt'$ out:^removed.'dir/sub'$ out:^removed.'dir'$ out:^removed.'b.txt'$
failed_copy      | mkfifo p; vandrix -cv copy p Store/in/q   | 1   | gone:Store out:^made.folder.'Store/in'$ out:^removed.'Store/in'$ out:^removed.'Store'$ err:'p'.to.'Store/in/q':.not.a.regular.file
verbose_trash    | vandrix -cuv del old.txt                  | 0   | trash:old.txt out:^trashed.'old.txt'$
rename_status    | vandrix ren old.txt new.txt; echo $?      | 0   | gone:old.txt copy:new.txt=old.txt out:^0$
windows_forms    | vandrix /c /s copy "a.txt;b.txt" out      | 0   | copy:out/a.txt=a.txt copy:out/b.txt=b.txt
same_name_move   | vandrix -cs move a.txt In/a.txt out       | 1   | copy:out/a.txt=a.txt gone:a.txt keep:In/a.txt err:^vandrix:.will.not.replace.'out/a.txt',.just.placed.there.from.'a.txt'$
same_name_copy   | vandrix -cs copy a.txt In/a.txt out       | 1   | copy:out/a.txt=a.txt keep:a.txt keep:In/a.txt
same_new_name    | vandrix -cs move "a.txt;b.txt" "x.txt;x.txt" | 1 | copy:x.txt=a.txt gone:a.txt keep:b.txt
onto_a_file      | vandrix -c copy *.tmp a.txt               | 255 | same noout err:target.'a.txt'.is.not.a.folder
wrong_count      | vandrix -c copy a.txt                     | 255 | same noout err:copy.takes.two.or.more.paths
ren_count        | vandrix ren *.tmp                         | 255 | same noout err:ren.takes.exactly.two.paths
unknown_option   | vandrix -x copy a.txt out                 | 255 | same noout err:unknown.option.'-x'
help             | vandrix --help                            | 0   | same noerr out:^Usage:.vandrix.\[OPTION\] out:^..-c,.--yes.+answer.yes credit
help_anywhere    | vandrix -c copy a.txt out -h              | 0   | same noerr out:^Usage:.vandrix
help_question    | vandrix '/?'                              | 0   | same noerr out:^Usage:.vandrix
version          | vandrix --version                         | 0   | same noerr out:^vandrix.[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ out:^Copyright.\(C\).[0-9]{4}. out:^License.MIT:.<https://opensource.org/license/mit>\.$ out:^This.is.free.software:.you.are.free.to.change.and.redistribute.it\.$ out:^There.is.NO.WARRANTY,.to.the.extent.permitted.by.law\.$
no_arguments     | vandrix                                   | 255 | same noout err:^Usage:.vandrix err:--help
help_h_alone     | vandrix /h                                | 255 | same noout err:unknown.operation.'/h'
EOF
}

posix_check() {
  local out=$E2E_ROOT/stdout err=$E2E_ROOT/stderr
  case $1 in
    out:*) grep -qE -- "${1#out:}" "$out" || echo "no line of standard output matches ${1#out:}" ;;
    err:*) grep -qE -- "${1#err:}" "$err" || echo "no line of standard error matches ${1#err:}" ;;
    noout) [ ! -s "$out" ] || echo "standard output: $(head -n 1 "$out")" ;;
    noerr) [ ! -s "$err" ] || echo "standard error: $(head -n 1 "$err")" ;;
    credit) [ "$(tail -n 1 "$out")" = "$caption" ] || echo "the last line is not the credit" ;;
    *) e2e_check "$1" ;;
  esac
}

# Runs one case in a new session, so there is no terminal to ask on.
posix_case() {
  local name=$1 command=$2 expected=$3 got=0 problems='' check scratch
  scratch=$(e2e_scratch)
  e2e_fresh_scratch
  (cd "$scratch" && HOME=$scratch PATH=$E2E_ROOT/bin:$PATH \
    setsid -w timeout 60 bash -c "$command") \
    </dev/null >"$E2E_ROOT/stdout" 2>"$E2E_ROOT/stderr" || got=$?
  [ "$got" = "$expected" ] || problems+="exit code; "
  for check in $4; do
    problems+=$(posix_check "$check" | sed 's/$/; /' | tr -d '\n')
  done
  e2e_report "$name" "$expected" "$got" "$problems"
}

posix_run_all() {
  e2e_make_originals
  posix_make_originals
  e2e_run_table posix_cases posix_case
}

# --- the README's Linux examples: each one is a case above -------------------

# The vandrix lines of the README's Linux examples, trailing comments cut.
readme_examples() {
  sed -n '/^### Examples (Linux)/,/^## /p' "$here/../README.md" |
    sed -n '/^```sh$/,/^```$/p' | grep '^vandrix' | sed -E 's/[[:space:]]+#.*$//'
}

# Reports the case whose command is the README line `example`, or none.
readme_case() {
  local example=$1 name command
  while IFS='|' read -r name command _; do
    if [ "$(e2e_trim "$command")" = "$example" ]; then
      e2e_report readme_example a_case "$(e2e_trim "$name")" ""
      return
    fi
  done < <(posix_cases)
  e2e_report readme_example a_case none "no case runs '$example'"
}

readme_run_all() {
  if [ -z "$(readme_examples)" ]; then
    echo "readme_example    FAILED: no vandrix line in the README's Linux examples"
    return 1
  fi
  e2e_run_table readme_examples readme_case
}

status=0
e2e_run_all || status=1
posix_run_all || status=1
readme_run_all || status=1
exit "$status"
