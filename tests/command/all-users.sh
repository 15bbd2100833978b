#!/bin/sh
# all-users.sh WORK UNINSTALLER APP CAROLS-TRACE: runs --all-users as another user, then as root
# while carol's Tavrel (APP) and alice's helper run, then once Tavrel has quit; each report goes
# to a file in WORK, each exit status to standard output.
w=$1 u=$2 app=$3 carols=$4
setpriv --reuid=2003 --regid=2003 --clear-groups "$app" 60 & tavrel=$!
setpriv --reuid=2001 --regid=2001 --clear-groups "$w/brolt" 60 & helper=$!
tries=0
until [ "$(readlink /proc/$tavrel/exe)" = "$app" ] && [ "$(readlink /proc/$helper/exe)" = "$w/brolt" ]
do [ $((tries += 1)) -lt 1000 ] || { echo "not started"; exit 1; }; sleep 0.01; done
setpriv --reuid=2001 --regid=2001 --clear-groups "$u" --all-users --dry-run; echo "not root $?"
"$u" --all-users --dry-run --json --user alice --user nobody --user daemon >"$w/named.json"
echo "named $?"
"$u" --all-users --yes --json >"$w/running.json"; echo "running $?"
[ ! -e /proc/$helper/exe ] || echo "alice's helper still runs"
[ -e "$carols" ] && [ -e /Applications/TAVREL.app ] && echo "carol's and the shared stay"
kill $tavrel
"$u" --all-users --yes --json >"$w/quit.json"; echo "quit $?"
