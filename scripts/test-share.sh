#!/usr/bin/env bash
# The share of tests in the code: non-blank lines of tests/ against the code they test.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -z "$@" | grep -zv '\.\(png\|icns\|ico\)$' | xargs -0 cat | grep -cv '^\s*$'; }
tests=$(count tests)
code=$(count Source logging platform keychain resources fuzz)
echo "tests $tests, code $code: $(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.3f", t / c }')"
