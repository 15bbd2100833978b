#!/usr/bin/env bash
# The install layout, as the packages ship it: both programs, the resources they find beside
# them, man pages, completions, desktop entry, icons and metainfo, each through its checker.
# Usage: install-layout.sh BUILD_FOLDER
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
cd "$prefix"
id=com.quillorchid.TavrelUninstaller
ls bin/TavrelUninstaller bin/tavrel-uninstall share/tavrel-uninstaller/{Info.plist,*.png} \
  share/tavrel-uninstaller/{de,en,fr,ja}.lproj/Localizable.strings \
  share/icons/hicolor/{48x48,128x128,256x256}/apps/$id.png \
  share/{bash-completion/completions/,zsh/vendor-completions/_}tavrel-uninstall \
  share/fish/vendor_completions.d/tavrel-uninstall.fish >/dev/null
desktop-file-validate share/applications/$id.desktop
appstreamcli validate --no-net --pedantic share/metainfo/$id.metainfo.xml >/dev/null
# In the C locale too, as on a server without locales, where troff draws in ASCII.
for page in share/man/man1/{tavrel-uninstall,TavrelUninstaller}.1.gz; do
  warnings=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)$(
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done

# Every option the command line takes is in its man page and in each shell's completion.
texts=("$(MANWIDTH=80 man -l share/man/man1/tavrel-uninstall.1.gz 2>/dev/null)"
  "$(<share/bash-completion/completions/tavrel-uninstall)"
  "$(<share/zsh/vendor-completions/_tavrel-uninstall)"
  "$(sed 's/ -l / --/g' share/fish/vendor_completions.d/tavrel-uninstall.fish)")
for option in $(bin/tavrel-uninstall --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
  for text in "${texts[@]}"; do
    [[ $text == *"$option"* ]] ||
      { echo "$option is missing from the man page or a completion" >&2; exit 1; }
  done
done

# Tab after a partial option, with the completion loaded as bash-completion finds it on demand.
for typed in --d:--dry-run '--ve:--verbose --version'; do
  completed=$(HOME=$prefix XDG_DATA_DIRS=$prefix/share bash -c '
    . /usr/share/bash-completion/bash_completion && __load_completion tavrel-uninstall &&
      complete -p tavrel-uninstall >/dev/null || exit 1
    COMP_WORDS=(tavrel-uninstall "$1") COMP_CWORD=1 && _tavrel_uninstall && echo "${COMPREPLY[*]}"
  ' bash "${typed%%:*}")
  [ "$completed" = "${typed#*:}" ] ||
    { echo "bash: ${typed%%:*}<Tab> gave '$completed'" >&2; exit 1; }
done

# The installed window starts, and refuses a home folder of "/"; with no display to show its
# alert on, standard error says why.
status=0
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME=/ bin/TavrelUninstaller 2>&1) ||
  status=$?
if [ "$status" -ne 1 ] || [[ "$output" != *"no usable home folder"* ]]; then
  echo "TavrelUninstaller with HOME=/ ended with $status: $output" >&2
  exit 1
fi
