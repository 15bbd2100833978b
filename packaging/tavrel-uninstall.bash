# bash completion for tavrel-uninstall: its options (it takes no other arguments).
_tavrel_uninstall() {
    local word=${COMP_WORDS[COMP_CWORD]}
    mapfile -t COMPREPLY < <(compgen -W '--yes --dry-run --json --verbose --version --help' -- "$word")
}
complete -F _tavrel_uninstall tavrel-uninstall
