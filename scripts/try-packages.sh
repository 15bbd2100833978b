#!/usr/bin/env bash
# Tries the two packages as the user of a newly installed Debian 12 machine would, in a fresh
# copy of scripts/debian-root.sh's root: the command line's package alone (nothing of Qt may come
# with it), the program run and its man page found; the window's package beside it; then both
# purged, leaving no file of theirs. Usage (as root): scripts/try-packages.sh [PACKAGE_FOLDER]
# (default build/release/packages).
set -euo pipefail
cd "$(dirname "$0")/.."
packages=${1:-build/release/packages}
started=$SECONDS
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
scripts/debian-root.sh unpack "$root"
mkdir "$root/packages"
cp "$packages"/tavrel-uninstall_*.deb "$packages"/tavrel-uninstaller_*.deb "$root/packages/"

scripts/debian-root.sh run "$root" bash -euo pipefail -s <<'EOF'
cd /packages
installed() { dpkg-query -W -f '${Package}\n' | sort; }
apt-get update -qq
installed >/tmp/before
apt-get install -y -qq ./tavrel-uninstall_*.deb >/dev/null
pulled=$(comm -13 /tmp/before <(installed))
echo "tavrel-uninstall brought in:" $pulled
! grep -i qt <<<"$pulled" || { echo "The command line's package pulls in Qt" >&2; exit 1; }
tavrel-uninstall --version
tavrel-uninstall --dry-run
apt-get install -y -qq man-db >/dev/null
man -w tavrel-uninstall

apt-get install -y -qq ./tavrel-uninstaller_*.deb >/dev/null
man -w TavrelUninstaller
# The window finds its libraries and resources: it gets as far as refusing a home folder of "/".
{ HOME=/ TavrelUninstaller 2>&1 || true; } | grep "no usable home folder"

dpkg -L tavrel-uninstall tavrel-uninstaller | sort -u >/tmp/files
apt-get purge -y -qq tavrel-uninstaller tavrel-uninstall >/dev/null
# What stays of the packages' files may only be folders that other packages own too, and nothing
# anywhere may be named after the product (such as a file a maintainer script left).
left=$(
  while read -r path; do
    [ ! -e "$path" ] || { [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1; } || echo "$path"
  done </tmp/files
  find / -xdev -path /packages -prune -o -iname '*tavrel*' -print
)
[ -z "$left" ] || { printf 'Left behind after the purge:\n%s\n' "$left" >&2; exit 1; }
EOF
echo "try-packages: both packages installed, ran and purged cleanly on a fresh Debian 12 root" \
  "in $((SECONDS - started)) s"
