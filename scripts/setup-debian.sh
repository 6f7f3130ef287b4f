#!/usr/bin/env bash
# Installs everything the build, the tests, the Windows target and the demo
# need on Debian 12. Safe to run any number of times: packages already present
# are not touched, and the Boost.Filesystem sources for the cross build are
# fetched only once into a machine-wide cache.
set -euo pipefail

boost_src_cache=${STUBRA_DEPS:-/opt/stubra-deps}/boost1.74-src

native_packages=(
  build-essential cmake ninja-build clang-format
  googletest libgtest-dev libboost-filesystem-dev libssl-dev bc
)
windows_packages=(
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32 wine64 xvfb xauth osslsigncode openssl dpkg-dev xz-utils
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# The sources of Boost.Filesystem come from Debian's source package, reached
# through a deb-src twin of the system's own package source.
enable_source_packages() {
  local src=/etc/apt/sources.list.d/stubra-deb-src.sources
  [ -f "$src" ] && return 0
  sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$src" >/dev/null
  updated=no
}

updated=no
apt_install() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$updated" = no ]; then
    as_root apt-get update -qq
    updated=yes
  fi
  echo "setup: installing" $missing
  local log
  log=$(mktemp)
  # shellcheck disable=SC2086
  if ! DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends $missing >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

fetch_boost_filesystem_sources() {
  [ -f "$boost_src_cache/.complete" ] && return 0
  enable_source_packages
  if [ "$updated" = no ]; then
    as_root apt-get update -qq
    updated=yes
  fi
  local work
  work=$(mktemp -d)
  (cd "$work" && apt-get source --download-only -qq boost1.74)
  local orig
  orig=$(ls "$work"/boost1.74_*.orig.tar.* | head -n 1)
  as_root mkdir -p "$boost_src_cache"
  as_root tar -xf "$orig" -C "$boost_src_cache" --strip-components=1 --wildcards '*/libs/filesystem/src/*'
  as_root touch "$boost_src_cache/.complete"
  rm -rf "$work"
}

main() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    updated=no
  fi
  apt_install "${native_packages[@]}"
  apt_install "${windows_packages[@]}"
  fetch_boost_filesystem_sources
}

main "$@"
