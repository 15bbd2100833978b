#!/bin/sh
# Runs a test program as the first process of a process namespace of its own, with its own /proc,
# where bubblewrap can make one (a normal user becomes root in a user namespace of its own);
# elsewhere as it is, and the tests that need the namespace skip.
set -eu
user=""
[ "$(id -u)" -eq 0 ] || user="--unshare-user --uid 0 --gid 0 --cap-add ALL"
# shellcheck disable=SC2086 # $user is a list of options
if bwrap $user --dev-bind / / true 2>/dev/null; then
  exec bwrap $user --dev-bind / / --unshare-pid --proc /proc --as-pid-1 --die-with-parent -- "$@"
fi
exec "$@"
