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
  printf %s password | HOME="$folder/home" XDG_DATA_HOME="$folder/data" \
    XDG_CACHE_HOME="$folder/cache" XDG_RUNTIME_DIR="$folder/runtime" \
    gnome-keyring-daemon --unlock --components=secrets >/dev/null
  # The daemon returns before it owns its name.
  gdbus wait --session --timeout 10 org.freedesktop.secrets
  daemon=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.freedesktop.secrets |
    tr -cd '0-9' | cut -c 3-) # "(uint32 1234,)": the digits after the 32
  status=0
  "$@" || status=$?
  # Only while that number is still the daemon's (its name, cut to 15 characters, can be read
  # by anyone): it may belong to another process by now.
  name=
  read -r name 2>/dev/null <"/proc/$daemon/comm" || true
  if [ "$name" = gnome-keyring-d ]; then
    kill "$daemon" 2>/dev/null || true
  fi
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
