# fish completion for tavrel-uninstall: its options (it takes no other arguments).
complete -c tavrel-uninstall -f
complete -c tavrel-uninstall -s y -l yes -d 'Remove without asking'
complete -c tavrel-uninstall -s n -l dry-run -d 'Only show what would be removed'
complete -c tavrel-uninstall -l json -d 'Write one JSON report to standard output'
complete -c tavrel-uninstall -s v -l verbose -d 'Show the log lines on standard error too'
complete -c tavrel-uninstall -l version -d 'Print the version and exit'
complete -c tavrel-uninstall -s h -l help -d 'Print the options and exit'
