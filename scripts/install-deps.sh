#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the benchmarks need.
# As root it runs apt-get; otherwise it prints the one apt-get line to run and fails.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libspdlog-dev
  libplist-dev libutf8proc-dev libcli11-dev nlohmann-json3-dev
  clang-format clang-tidy util-linux mount
  # The tests' sandboxes: a root of their own with their own /Applications and processes.
  bubblewrap
  # The fuzz target: clang, and libFuzzer, which comes with compiler-rt.
  clang libclang-rt-14-dev
  # Checks the POSIX sh scripts among the resources.
  shellcheck
  libsecret-1-dev
  # The keychain tests' private Secret Service: gnome-keyring on a D-Bus session bus of their own.
  # dbus-user-session stands for the session bus gnome-keyring asks for, so that dbus-x11 is not
  # chosen; secret-tool and gdbus plant and lock items.
  gnome-keyring dbus-daemon dbus-bin dbus-user-session libsecret-tools libglib2.0-bin
  # The window: Qt 6 Widgets with its X11, Wayland and offscreen platforms and the ICNS image
  # format; fonts, so that text renders offscreen too (Japanese included); xdg-open for Open Log
  # Folder, and the desktop entry's checker.
  qt6-base-dev qt6-qpa-plugins qt6-wayland qt6-image-formats-plugins
  fonts-dejavu-core fonts-vlgothic xdg-utils desktop-file-utils
  # The man pages (scdoc sources) and the checks of what is installed: man pages rendered by man,
  # the metainfo validated by appstreamcli, the bash completion loaded by bash-completion.
  scdoc man-db appstream bash-completion
  # CI's checks of the packages: lintian, and a fresh Debian 12 root to install them on; CPack
  # computes the library dependencies with dpkg-shlibdeps, on the files `file` says are programs.
  lintian debootstrap dpkg-dev file
  # The fleet playbook (deploy/ansible/), its lint, and its test on chroot hosts.
  ansible ansible-lint
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "Missing packages. Run as root:" >&2
  echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
