#!/usr/bin/env bash
# The install layout: both programs, the resources they find beside them, and a desktop entry
# and icon where desktops look for them. Usage: install-layout.sh BUILD_FOLDER
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
cd "$prefix"
ls bin/TavrelUninstaller bin/tavrel-uninstall share/tavrel-uninstaller/{Info.plist,*.png} \
  share/tavrel-uninstaller/{de,en,fr,ja}.lproj/Localizable.strings \
  share/icons/hicolor/256x256/apps/com.quillorchid.TavrelUninstaller.png >/dev/null
desktop-file-validate share/applications/com.quillorchid.TavrelUninstaller.desktop
# The installed window starts, and refuses a home folder of "/"; with no display to show its
# alert on, standard error says why.
status=0
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME=/ bin/TavrelUninstaller 2>&1) ||
  status=$?
[ "$status" -eq 1 ] && [[ "$output" == *"no usable home folder"* ]] ||
  { echo "TavrelUninstaller with HOME=/ ended with $status: $output" >&2; exit 1; }
