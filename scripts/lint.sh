#!/usr/bin/env bash
# Checks the layers' includes (scripts/check-layers.sh), then runs clang-tidy over every C++
# source of ours, with the default preset's compile commands.
set -uo pipefail
cd "$(dirname "$0")/.." || exit
scripts/check-layers.sh || exit 1
[ -f build/default/compile_commands.json ] || cmake --preset default >/dev/null
mapfile -t files < <(git ls-files '*.cpp')
output=$(run-clang-tidy -quiet -p build/default -j "$(nproc)" "${files[@]/#/$PWD/}" 2>&1)
status=$?
findings=$(printf '%s\n' "$output" | sed 's/\x1b\[[0-9;]*m//g' | grep -E '(warning|error):')
if [ $status -ne 0 ] || [ -n "$findings" ]; then
  printf '%s\n' "$findings" >&2
  echo "clang-tidy found problems" >&2
  exit 1
fi
echo "clang-tidy: clean"
