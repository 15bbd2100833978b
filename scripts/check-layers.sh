#!/usr/bin/env bash
# Fails when a source of ours includes a header of a layer above its own, when Qt appears outside
# the window, or when code above the platform layer calls the operating system itself.
# Each folder may include only the folders listed for it (and the standard library); arrows run
# down: front ends → app (the flow) → run → jobs → scripts, errors, product → localization →
# keychain → logging → platform.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [platform]="platform"
  [logging]="logging platform"
  [keychain]="keychain platform"
  [Source/product]="Source/product"
  [Source/localization]="Source/localization platform"
  [Source/errors]="Source/errors Source/localization platform"
  [Source/scripts]="Source/scripts Source/errors logging platform"
  [Source/jobs]="Source/jobs Source/scripts Source/errors Source/product keychain logging platform"
  [Source/run]="Source/run Source/jobs Source/scripts Source/errors Source/product Source/localization keychain logging platform"
  [Source/app]="Source/app Source/run Source/jobs Source/scripts Source/errors Source/product Source/localization keychain logging platform"
  [Source/cli]="Source/cli Source/app Source/run Source/errors Source/product Source/localization keychain logging platform"
  [Source/window]="Source/window Source/app Source/run Source/errors Source/product Source/localization keychain logging platform"
)
# The operating system's own headers: only the platform layer (and the tests) use them.
system_headers='unistd|fcntl|sys/[a-z_]+|pthread|dirent|signal|spawn|termios|poll|pwd|grp|dlfcn'

status=0
fail() {
  echo "$1" >&2
  status=1
}
for folder in "${!allowed[@]}"; do
  # Subfolders belong to their folder's layer (logging/detail, platform/linux).
  while IFS=: read -r file line include; do
    header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$include")
    case "$header" in
      Source/*) layer=$(cut -d/ -f1-2 <<<"$header") ;;
      */*) layer=${header%%/*} ;;
      *) continue ;; # a generated header beside the file, such as ui_MainWindow.h
    esac
    grep -qw -- "$layer" <<<"$folder ${allowed[$folder]}" ||
      fail "$file:$line: $folder may not include $header (a layer above it, or a sibling)"
  done < <(git grep -n '#include "' -- "$folder" || true)
done
while IFS= read -r found; do
  fail "$found: Qt belongs to the window alone (Source/window)"
done < <(git grep -n -E '#include <Q' -- Source logging keychain platform ':!Source/window' || true)
while IFS= read -r found; do
  fail "$found: only platform/ calls the operating system; add or use a platform service"
done < <(git grep -n -E "#include <($system_headers)\.h>" -- Source logging keychain || true)
[ $status -eq 0 ] && echo "layers: clean"
exit $status
