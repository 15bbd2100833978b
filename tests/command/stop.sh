#!/bin/sh
# stop.sh WORK UNINSTALLER: interrupts `UNINSTALLER --yes --json` as Ctrl-C does while its step 7
# waits for a TavrelFileProvider that ignores SIGTERM; its report and standard error go into
# WORK, its exit status to standard output.
w=$1 u=$2
cp /bin/sh "$w/TavrelFileProvider"
# shellcheck disable=SC2016 # the helper's own script, with its own $0
"$w/TavrelFileProvider" -c 'trap "" TERM; : >"$0"; while :; do sleep 1; done' "$w/ready" &
provider=$!
until [ -e "$w/ready" ]; do [ -e "/proc/$provider/exe" ] || exit 1; sleep 0.01; done
"$u" --yes --json >"$w/report.json" 2>"$w/err.txt" & uninstaller=$!
until grep -q '^\[7/20\]' "$w/err.txt" 2>/dev/null; do
    [ -e "/proc/$uninstaller/exe" ] || break # it ended on its own: the test says how
    sleep 0.01
done
kill -INT $uninstaller
wait $uninstaller
echo "status $?"
