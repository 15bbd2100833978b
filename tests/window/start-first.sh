#!/bin/sh
# start-first.sh [--stubborn] PROGRAM COMMAND...: starts `PROGRAM 60` (ignoring SIGTERM with
# --stubborn), waits until it runs, then becomes COMMAND.
[ "$1" = --stubborn ] && { shift; trap '' TERM; }
"$1" 60 & app=$!
until [ "$(readlink "/proc/$app/exe")" = "$1" ]; do [ -e "/proc/$app" ] || exit 9; done
trap - TERM
shift
exec "$@"
