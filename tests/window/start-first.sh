#!/bin/sh
# start-first.sh [--stubborn] COPY COMMAND...: starts `COPY 60`, COPY a copy of sleep made here
# (ignoring SIGTERM with --stubborn), waits until it runs, then becomes COMMAND.
[ "$1" = --stubborn ] && { shift; trap '' TERM; }
mkdir -p "${1%/*}" && cp /bin/sleep "$1" || exit 9
"$1" 60 & app=$!
until [ "$(readlink "/proc/$app/exe")" = "$1" ]; do [ -e "/proc/$app" ] || exit 9; done
trap - TERM
shift
exec "$@"
