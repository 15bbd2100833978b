#compdef tavrel-uninstall
# zsh completion for tavrel-uninstall: its options (it takes no other arguments).
_arguments -s \
  '(-y --yes)'{-y,--yes}'[remove without asking]' \
  '(-n --dry-run)'{-n,--dry-run}'[only show what would be removed; remove nothing]' \
  '--json[write one JSON report to standard output]' \
  '(-v --verbose)'{-v,--verbose}'[show the log lines on standard error too]' \
  '(- *)--version[print the version and exit]' \
  '(- *)'{-h,--help}'[print the options and exit]'
