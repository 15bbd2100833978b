# bash completion for tavrel-uninstall: its options (it takes no other arguments).
_tavrel_uninstall() {
    local word=${COMP_WORDS[COMP_CWORD]}
    local options='--yes --dry-run --json --verbose --version --help'
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$word")
}
complete -F _tavrel_uninstall tavrel-uninstall
