#!/usr/bin/env bash
# Builds the uninstaller (release preset) and runs it. Extra arguments go to the uninstaller.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tavrel-uninstall
exec ./build/release/Source/tavrel-uninstall "$@"
