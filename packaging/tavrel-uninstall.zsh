#compdef tavrel-uninstall
# zsh completion for tavrel-uninstall: its options, and an account's name after --user.
_arguments -s \
  '(-y --yes)'{-y,--yes}'[remove without asking]' \
  '(-n --dry-run)'{-n,--dry-run}'[only show what would be removed; remove nothing]' \
  '--json[write one JSON report to standard output]' \
  '(-v --verbose)'{-v,--verbose}'[show the log lines on standard error too]' \
  '--all-users[as root: remove Tavrel from every account of this machine]' \
  '*--user[with --all-users: only this account]:account:_users' \
  '(- *)--version[print the version and exit]' \
  '(- *)'{-h,--help}'[print the options and exit]'
