#!/usr/bin/env bash
# Builds the uninstaller (release preset) and runs it: the window when a display is available,
# otherwise the command line. Extra arguments go to the program that runs.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target TavrelUninstaller tavrel-uninstall
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/release/Source/window/TavrelUninstaller "$@"
fi
echo "run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open;" \
     "running the command line, tavrel-uninstall, instead." >&2
exec ./build/release/Source/tavrel-uninstall "$@"
