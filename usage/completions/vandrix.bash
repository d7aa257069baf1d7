# Bash completion for vandrix: the operation word first, then paths; options
# anywhere before "--" (the letters and long names of vandrix --help), their
# Windows forms only before the operation word.

_vandrix() {
  local cur=${COMP_WORDS[COMP_CWORD]} word operation='' ended='' i
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ -z $ended && $word == -- ]]; then
      ended=1
    elif [[ -z $ended && ($word == --jobs || $word =~ ^-[^-]*j$) ]]; then
      ((i++))  # and its number
    elif [[ -z $ended && ($word == -?* || ($word == /[cdefprsuCDEFPRSU?] && -z $operation)) ]]; then
      continue  # an option, also in its Windows form before the operation
    elif [[ -z $operation ]]; then
      operation=$word
    fi
  done
  if [[ -z $ended && $cur == -* ]]; then
    local long='--yes --make-folders --quiet --files-only --interactive --no-clobber
                --update --no-names --keep-both --no-progress --trash --verbose
                --dry-run --literal --jobs --help --version'
    [[ $cur == --* ]] || long+=' -c -d -e -f -i -n -p -r -s -u -v -j -h'
    mapfile -t COMPREPLY < <(compgen -W "$long" -- "$cur")
  elif [[ -z $operation ]]; then
    mapfile -t COMPREPLY < <(compgen -W 'copy move del delete ren rename' -- "$cur")
  fi
  # Nothing offered: the shell completes a path (complete -o default).
}

complete -o default -F _vandrix vandrix
