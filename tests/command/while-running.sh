#!/bin/sh
# while-running.sh APP UNINSTALLER: runs `UNINSTALLER --yes` while APP runs, and exits with its
# status. APP is started here, inside the sandbox: a process outside its user namespace could not
# be inspected.
"$1" 60 & app=$!
until [ "$(readlink "/proc/$app/exe")" = "$1" ]; do [ -e "/proc/$app/exe" ] || exit 9; done
"$2" --yes; status=$?
kill $app
exit $status
