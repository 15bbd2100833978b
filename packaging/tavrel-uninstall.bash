# bash completion for tavrel-uninstall: its options, and an account's name after --user.
_tavrel_uninstall() {
    local word=${COMP_WORDS[COMP_CWORD]}
    local options='--yes --dry-run --json --verbose --all-users --user --version --help'
    if [ "${COMP_WORDS[COMP_CWORD - 1]}" = --user ]; then
        mapfile -t COMPREPLY < <(compgen -u -- "$word")
        return
    fi
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$word")
}
complete -F _tavrel_uninstall tavrel-uninstall
