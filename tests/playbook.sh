#!/usr/bin/env bash
# The Ansible playbook for real: two hosts that are separate Debian 12 roots (a fresh copy each
# run of scripts/debian-root.sh's cached root, with python3 and the package's dependencies),
# reached through Ansible's chroot connection. Each gets the package installed by the playbook and
# an account planted; host-b's holds a trace that cannot be removed (a read-only bind). Checks that
# the fleet report names exactly that host, account and item and host-a is clean, that a second
# run changes nothing, and that --check removes nothing.
# Usage (as root): tests/playbook.sh [PACKAGE_FOLDER] (default build/release/packages)
set -euo pipefail
cd "$(dirname "$0")/.."
# In mount and process namespaces of its own: the roots' /proc, /dev and /sys go away with it,
# and their /proc shows only the processes started here, so no kill can reach another.
if [ -z "${TAVREL_PLAYBOOK_INSIDE:-}" ]; then
  exec env TAVREL_PLAYBOOK_INSIDE=1 unshare --mount --pid --fork --mount-proc "$0" "$@"
fi
mount --make-rprivate /
packages=${1:-build/release/packages}
deb=$(realpath "$(ls "$packages"/tavrel-uninstall_*.deb)")
started=$SECONDS
work=$(mktemp -d)
roots=()
cleanup() {
  for root in "${roots[@]}"; do
    umount -R "$root/proc" "$root/dev" "$root/sys" 2>/dev/null || true
    umount -R "$root/home/bob/Library/Containers/com.quillorchid.tavrel.macos" 2>/dev/null || true
  done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
fail() {
  echo "playbook test: $*" >&2
  exit 1
}

# The package's dependencies are installed once into the cached root, so a run needs no network.
depends=$(dpkg-deb -f "$deb" Depends | sed -E 's/\([^)]*\)//g; s/\|[^,]*//g; s/,/ /g')
for host in host-a host-b; do
  root=$work/$host
  # shellcheck disable=SC2086 # one word per package
  scripts/debian-root.sh unpack "$root" python3 python3-apt xz-utils $depends
  roots+=("$root")
  mount -t proc proc "$root/proc"
  mount --bind /dev "$root/dev"
  mount --bind /sys "$root/sys"
done
echo "playbook test: two roots ready in $((SECONDS - started)) s"

# alice on host-a and bob on host-b, each with traces; bob's container may not be written.
plant() { # ROOT USER UID
  local home=$1/home/$2
  chroot "$1" useradd --create-home --uid "$3" --shell /bin/sh "$2" 2>/dev/null || true
  mkdir -p "$home/Library/Application Support/com.quillorchid.TavrelOSX" \
    "$home/Library/Containers/com.quillorchid.tavrel.macos/Data" \
    "$home/.config/com.quillorchid.TavrelOSX" "$1/Applications/TAVREL.app/Contents"
  echo x >"$home/Library/Application Support/com.quillorchid.TavrelOSX/db"
  echo x >"$home/Library/Containers/com.quillorchid.tavrel.macos/Data/file"
  echo x >"$home/.config/com.quillorchid.TavrelOSX/settings"
  echo x >"$1/Applications/TAVREL.app/Contents/Info.plist"
  chroot "$1" chown -R "$2:$2" "/home/$2"
}
plant "$work/host-a" alice 2001
plant "$work/host-b" bob 2002
stuck=/home/bob/Library/Containers/com.quillorchid.tavrel.macos
mount --bind "$work/host-b$stuck" "$work/host-b$stuck"
mount -o remount,bind,ro "$work/host-b$stuck"

cat >"$work/inventory" <<INVENTORY
[fleet]
host-a ansible_host=$work/host-a
host-b ansible_host=$work/host-b
[fleet:vars]
ansible_connection=community.general.chroot
ansible_python_interpreter=/usr/bin/python3
INVENTORY
touch "$work/ansible.cfg"
playbook() { # REPORT_NAME [OPTION]...; sets $status and $output
  local name=$1
  shift
  local began=$SECONDS
  status=0
  output=$(ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_NOCOLOR=1 ANSIBLE_LOCAL_TEMP=$work/tmp \
    ansible-playbook -i "$work/inventory" deploy/ansible/tavrel-uninstall.yml \
    -e "tavrel_package=$deb" -e "tavrel_report_dir=$work/$name" "$@" 2>&1) || status=$?
  echo "playbook test: ansible-playbook $* took $((SECONDS - began)) s, exit status $status"
}
recap() { # HOST: its PLAY RECAP line
  grep -E "^$1 +:" <<<"$output" || fail "no recap line for $1: $output"
}
# The report's rows as "host user outcome keychain-not-looked-at remains", one per line.
rows() { # REPORT_NAME
  python3 -c '
import json, sys
for row in json.load(open(sys.argv[1]))["rows"]:
    print(row["host"], row["user"], row["outcome"], row["keychainNotLookedAt"], "; ".join(row["remains"]))
' "$work/$1/fleet-report.json"
}

# First run: the package is installed and everything goes but bob's container; host-b fails,
# naming bob and that item, and the report says just that.
playbook first
[ "$status" -eq 2 ] || fail "the first run ended with $status, not 2 (a host failed): $output"
grep -q "fatal: \[host-b\].*bob: $stuck (step 16, failed: " <<<"$output" ||
  fail "host-b's failure does not name bob's container: $output"
! grep -q "fatal: \[host-a\]" <<<"$output" || fail "host-a failed: $output"
expected="host-a alice keychainNotLookedAt True 
host-a (shared) shared False 
host-b bob remains True $stuck (step 16, failed: "
[[ "$(rows first)" == "$expected"* ]] || fail "the report's rows are $(rows first)"
[ "$(grep -c '"' "$work/first/fleet-report.csv")" -eq 4 ] || fail "CSV: $(cat "$work/first/fleet-report.csv")"
grep -q '^"host-b","bob","2002","remains","yes","'"$stuck"' (step 16, failed: ' \
  "$work/first/fleet-report.csv" || fail "CSV: $(cat "$work/first/fleet-report.csv")"
for gone in host-a/home/alice/Library/Containers/com.quillorchid.tavrel.macos \
  host-a/Applications/TAVREL.app host-b/Applications/TAVREL.app \
  host-b/home/bob/.config/com.quillorchid.TavrelOSX; do
  [ ! -e "$work/$gone" ] || fail "$gone is still there"
done
[ -e "$work/host-b$stuck/Data/file" ] || fail "bob's read-only container went"

# Second run: nothing to do, nothing changed; host-b still fails for the same item.
playbook second
[ "$status" -eq 2 ] || fail "the second run ended with $status: $output"
for host in host-a host-b; do
  recap $host | grep -q " changed=0 " || fail "the second run changed $host: $(recap $host)"
done

# --check after alice's traces are back: a dry run that shows them and removes nothing.
plant "$work/host-a" alice 2001
playbook check --check
[ "$status" -eq 0 ] || fail "--check ended with $status: $output"
recap host-a | grep -q " changed=1 " || fail "--check shows nothing to go on host-a: $(recap host-a)"
grep -q "host-a alice dryRun True .*com.quillorchid.tavrel.macos (step 16, stillThere)" \
  <<<"$(rows check)" || fail "--check's report: $(rows check)"
{ [ -e "$work/host-a/home/alice/Library/Containers/com.quillorchid.tavrel.macos/Data/file" ] &&
  [ -e "$work/host-a/Applications/TAVREL.app" ]; } || fail "--check removed something"
echo "playbook test: passed in $((SECONDS - started)) s"
