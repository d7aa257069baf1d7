# Fish completion for vandrix: the operation word first, then paths; options
# anywhere (the letters and long names of vandrix --help).

complete -c vandrix -f -n __fish_use_subcommand -a 'copy move del delete ren rename' -d operation
complete -c vandrix -F -n 'not __fish_use_subcommand'
complete -c vandrix -s c -l yes -d 'answer yes to every question (replace, delete)'
complete -c vandrix -s d -l make-folders -d 'make missing folders without asking (always on)'
complete -c vandrix -s e -l quiet -d 'do not print the one-line error reports'
complete -c vandrix -s f -l files-only -d 'take only the files a wildcard matches'
complete -c vandrix -s i -l interactive -d 'ask before replacing or deleting (the default)'
complete -c vandrix -s n -l no-clobber -d 'never replace a file: skip it'
complete -c vandrix -l update -d 'copy or move a file only over an older one'
complete -c vandrix -s p -l no-names -d 'show no names on the progress line'
complete -c vandrix -s r -l keep-both -d 'give an item a free name instead of replacing'
complete -c vandrix -s s -l no-progress -d 'show no progress line'
complete -c vandrix -s u -l trash -d 'del moves the items to the desktop trash'
complete -c vandrix -s v -l verbose -d 'say each item done on standard output'
complete -c vandrix -l dry-run -d 'change nothing: say what would be done'
complete -c vandrix -l literal -d 'take every path as one name: no wildcard, no ; list'
complete -c vandrix -s j -l jobs -x -d 'copy and delete with N workers side by side'
complete -c vandrix -s h -l help -d 'print the help and exit'
complete -c vandrix -l version -d 'print the version and exit'
