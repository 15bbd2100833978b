#!/bin/sh
# Clears Tavrel's user defaults for the user who runs this script: the domains of its three
# applications and of its two application groups. On macOS through defaults(1); elsewhere a
# domain is the file or folder of that name in ${XDG_CONFIG_HOME:-~/.config}. A domain that is
# not there is no failure. Exit status: 0 cleared; another status when a domain stays.
# POSIX sh.

domains='com.quillorchid.TavrelOSX com.quillorchid.TavrelAuthenticator
com.quillorchid.tavrel.macos group.com.quillorchid.TavrelOSX group.com.quillorchid.tavrel.macos'

# Every macOS has this file; testing for it starts no process, unlike uname(1).
if [ -f /System/Library/CoreServices/SystemVersion.plist ]; then
    status=0
    for domain in $domains; do
        # Deleting a domain that does not exist fails; reading it first tells the two apart.
        if defaults read "$domain" >/dev/null 2>&1; then
            defaults delete "$domain" || status=1
        fi
    done
    exit $status
fi

case ${XDG_CONFIG_HOME:-} in
/*) config=$XDG_CONFIG_HOME ;; # a relative one is invalid and ignored
*) config=${HOME:?HOME is not set}/.config ;;
esac
set --
for domain in $domains; do
    if [ -e "$config/$domain" ] || [ -h "$config/$domain" ]; then
        set -- "$@" "$config/$domain"
    fi
done
[ $# -eq 0 ] || rm -rf -- "$@" || exit 1
