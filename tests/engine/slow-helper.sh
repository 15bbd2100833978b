#!/bin/sh
# slow-helper.sh WORK KILL-SCRIPT: starts a brolt that takes a second to save its state into
# WORK/state once asked to stop, then runs the kill script and prints its exit status.
cp /bin/sh "$1/brolt"
# shellcheck disable=SC2016 # brolt's own script, with its own $0
"$1/brolt" -c 'trap "sleep 1; echo saved >\"\$0\"; exit" TERM; while :; do sleep 0.1; done' "$1/state" &
until [ "$(readlink "/proc/$!/exe")" = "$1/brolt" ]; do :; done
"$2"; echo "status $?"
