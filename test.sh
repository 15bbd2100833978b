#!/usr/bin/env bash
# Builds everything (debug preset) and runs every test. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default "$@"
