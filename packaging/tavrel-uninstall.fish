# fish completion for tavrel-uninstall: its options, and an account's name after --user.
complete -c tavrel-uninstall -f
complete -c tavrel-uninstall -s y -l yes -d 'Remove without asking'
complete -c tavrel-uninstall -s n -l dry-run -d 'Only show what would be removed'
complete -c tavrel-uninstall -l json -d 'Write one JSON report to standard output'
complete -c tavrel-uninstall -s v -l verbose -d 'Show the log lines on standard error too'
complete -c tavrel-uninstall -l all-users -d 'As root: remove Tavrel from every account'
complete -c tavrel-uninstall -l user -x -a '(__fish_complete_users)' -d 'With --all-users: only this account'
complete -c tavrel-uninstall -l version -d 'Print the version and exit'
complete -c tavrel-uninstall -s h -l help -d 'Print the options and exit'
