#!/usr/bin/env bash
# A freshly installed, minimal Debian 12 system to try things on, made once with debootstrap and
# kept as a tarball, so that each try starts from a clean copy within seconds.
#   debian-root.sh base [--refresh]    make the cached base root (anew with --refresh), print where
#   debian-root.sh unpack FOLDER [PACKAGE]...
#                                      unpack a copy of it into FOLDER, making it first if need be;
#                                      with PACKAGEs, a copy with them installed, itself made once
#                                      per list of packages and kept beside the base
#   debian-root.sh run FOLDER COMMAND  run COMMAND as root in FOLDER (bubblewrap: own /proc, /dev
#                                      and /tmp, the host's network), with a clean environment
# The cache is $TAVREL_ROOT_CACHE, by default ${XDG_CACHE_HOME:-~/.cache}/tavrel-uninstaller; it
# also keeps the packages apt downloads there. Run as root.
set -euo pipefail
cache=${TAVREL_ROOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrel-uninstaller}
base=$cache/debian-12-minbase.tar

usage() {
  echo "usage: $0 base [--refresh] | unpack FOLDER [PACKAGE]... | run FOLDER COMMAND..." >&2
  exit 64
}

# The Debian mirror the host's apt uses, so that a local mirror or proxy serves the root too.
mirror() {
  local uri
  uri=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null ||
    true)
  [ -n "$uri" ] || uri=$(awk '/^deb / { print $2; exit }' /etc/apt/sources.list 2>/dev/null || true)
  echo "${uri:-http://deb.debian.org/debian}"
}

make_base() {
  mkdir -p "$cache"
  exec 9>"$cache/lock"
  flock 9 # another run may be making it at the same time
  if [ -f "$base" ] && [ "${1:-}" != --refresh ]; then
    return
  fi
  local work
  work=$(mktemp -d "$cache/base.XXXXXX")
  echo "debian-root: making a Debian 12 root with debootstrap (a few minutes, once)" >&2
  if ! debootstrap --variant=minbase bookworm "$work" "$(mirror)" >"$cache/debootstrap.log" 2>&1
  then
    rm -rf "$work"
    echo "debian-root: debootstrap failed; see $cache/debootstrap.log" >&2
    exit 1
  fi
  tar -C "$work" -cf "$base.new" . && mv "$base.new" "$base"
  rm -rf "$work" "$cache"/debian-12-minbase-*.tar* # copies with packages start from the new base
}

# Runs COMMAND as root in FOLDER; see `run` above.
run_in() {
  local folder=$1
  shift
  mkdir -p "$cache/archives/partial"
  bwrap --bind "$folder" / --dev /dev --proc /proc --tmpfs /tmp \
    --bind "$cache/archives" /var/cache/apt/archives \
    --unshare-pid --unshare-ipc --unshare-uts --hostname debian-root --die-with-parent \
    /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive "$@"
}

# Prints the tarball of the base with the packages "$@" installed, making it once.
make_layer() {
  local list key layer work
  list=$(printf '%s\n' "$@" | sort -u | tr '\n' ' ')
  key=$(printf '%s' "$list" | sha256sum | cut -c1-16)
  layer=$cache/debian-12-minbase-$key.tar
  exec 8>"$cache/lock-$key"
  flock 8
  if [ ! -f "$layer" ]; then
    work=$(mktemp -d "$cache/layer.XXXXXX")
    tar -C "$work" -xf "$base"
    chmod 755 "$work" # after tar, which gives / the mode of the folder the base was made in
    cp -L /etc/resolv.conf "$work/etc/resolv.conf"
    echo "debian-root: installing $list(once)" >&2
    # shellcheck disable=SC2086 # one word per package
    if ! run_in "$work" sh -c "apt-get update -qq && apt-get install -y -qq --no-install-recommends $list" \
      >"$cache/layer-$key.log" 2>&1; then
      rm -rf "$work"
      echo "debian-root: installing $list failed; see $cache/layer-$key.log" >&2
      exit 1
    fi
    tar -C "$work" -cf "$layer.new" . && mv "$layer.new" "$layer"
    echo "$list" >"$layer.packages"
    rm -rf "$work"
  fi
  echo "$layer"
}

[ "$(id -u)" -eq 0 ] || { echo "debian-root: run as root" >&2; exit 1; }
case ${1:-} in
base)
  make_base "${2:-}"
  echo "$base"
  ;;
unpack)
  [ $# -ge 2 ] || usage
  folder=$2
  shift 2
  make_base
  tarball=$base
  [ $# -eq 0 ] || tarball=$(make_layer "$@")
  mkdir -p "$folder"
  tar -C "$folder" -xf "$tarball"
  # After tar, which gives / the mode of the folder the base was made in (mktemp's 0700): apt
  # downloads as the user _apt, and every account must get through / too.
  chmod 755 "$folder"
  cp -L /etc/resolv.conf "$folder/etc/resolv.conf"
  ;;
run)
  [ $# -ge 3 ] || usage
  folder=$2
  shift 2
  run_in "$folder" "$@"
  ;;
*) usage ;;
esac
