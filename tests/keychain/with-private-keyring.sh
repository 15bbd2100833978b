#!/usr/bin/env bash
# Runs a command on a private D-Bus session bus, with no display so that no prompt can open, and
# returns its exit status. The user's own bus and keyring are never reached; the bus and whatever
# it started end with the command.
#
#   with-private-keyring.sh [--secret-service=keyring|none|silent] COMMAND [ARGUMENT]...
#
# keyring (the default): gnome-keyring's secrets component serves an unlocked keyring kept in a
# temporary folder. none: nothing provides the Secret Service. silent: asking for the Secret
# Service starts a program that never answers.
# Inside, TAVREL_PRIVATE_KEYRING_BUS is the private bus's address, so that a test can make sure
# it talks to no other bus.
set -euo pipefail

mode=keyring
case "${1:-}" in
--secret-service=*) mode=${1#*=}; shift ;;
esac

if [ "${1:-}" = "--inside" ]; then
  folder=$2
  shift 2
  export TAVREL_PRIVATE_KEYRING_BUS="$DBUS_SESSION_BUS_ADDRESS"
  [ "$mode" = keyring ] || exec "$@"
  # In the foreground, so that it is our child: it ends with the command, by its number, which is
  # its own while it runs, as it does unless it failed.
  printf %s password | HOME="$folder/home" XDG_DATA_HOME="$folder/data" \
    XDG_CACHE_HOME="$folder/cache" XDG_RUNTIME_DIR="$folder/runtime" \
    gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null &
  daemon=$!
  gdbus wait --session --timeout 10 org.freedesktop.secrets # it owns its name a moment later
  status=0
  "$@" || status=$?
  kill "$daemon" 2>/dev/null || true
  exit "$status"
fi

folder=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-keyring.XXXXXX")
trap 'rm -rf "$folder"' EXIT
mkdir -m 700 "$folder/services" "$folder/home" "$folder/data" "$folder/cache" "$folder/runtime"
case "$mode" in
keyring) cp /usr/share/dbus-1/services/org.freedesktop.secrets.service "$folder/services/" ;;
silent) printf '[D-BUS Service]\nName=org.freedesktop.secrets\nExec=/bin/sleep 60\n' \
  >"$folder/services/org.freedesktop.secrets.service" ;;
none) ;;
*) echo "with-private-keyring.sh: unknown Secret Service \"$mode\"" >&2; exit 64 ;;
esac
cat >"$folder/bus.conf" <<CONFIG
<busconfig>
  <type>session</type>
  <listen>unix:dir=$folder</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$folder/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>
CONFIG

unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
status=0
dbus-run-session --config-file="$folder/bus.conf" -- "$0" --secret-service="$mode" --inside \
  "$folder" "$@" || status=$?
exit "$status"
