#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test LumetraSetup.
# Idempotent: prints what it does, and does nothing when everything is present.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "bootstrap: run as root (it installs Debian packages)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  g++-mingw-w64-i686 wine xvfb xdotool imagemagick ninja-build cmake
  fonts-roboto-unhinted libcpp-httplib-dev googletest 7zip iproute2 xcompmgr
  fonts-wqy-microhei pkg-config curl dpkg-dev make x11-utils librsvg2-bin libx11-dev
  g++-mingw-w64-x86-64 wine64 clang libclang-rt-14-dev libssl-dev openssl
)
# 32-bit Wine runs the shipped 32-bit build. Without it (a kernel that cannot start 32-bit
# programs, or i386 packages the mirror cannot serve right now) the Wine tests run the
# 64-bit build (tests/wine/wine-arch.sh), so it is not worth failing the set-up for.
optional_packages=(wine32:i386)

updated=0
apt_update() {
  if [ "$updated" -eq 0 ]; then
    echo "bootstrap: apt-get update"
    # A mirror in the middle of a sync fails an index now and then: try again a little
    # later, and in the end go on with the indices there are (the install says if a
    # package cannot be found).
    local attempt
    for attempt in 1 2; do
      apt-get update -qq && break
      echo "bootstrap: apt-get update failed (attempt $attempt)" >&2
      [ "$attempt" -lt 2 ] && sleep 10
    done
    updated=1
  fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "bootstrap: adding the i386 architecture"
  dpkg --add-architecture i386
fi

# Source entries, so that the 7-Zip sources can be fetched to build 7za.exe.
src_list=/etc/apt/sources.list.d/lumetra-deb-src.sources
if [ ! -f "$src_list" ]; then
  echo "bootstrap: adding deb-src entries ($src_list)"
  cat > "$src_list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  updated=0
fi

missing_of() { # PACKAGE...: prints those not installed
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
if [ "${#missing[@]}" -gt 0 ]; then
  apt_update
  echo "bootstrap: installing ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
mapfile -t missing < <(missing_of "${optional_packages[@]}")
if [ "${#missing[@]}" -gt 0 ]; then
  apt_update
  echo "bootstrap: installing ${missing[*]}"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
    echo "bootstrap: ${missing[*]} could not be installed; the Wine tests will run the 64-bit build" >&2
fi

# The 7-Zip sources, unpacked once into a cache outside the work tree.
cache=${LUMETRA_CACHE:-/var/cache/lumetra}
mkdir -p "$cache"
if ! ls -d "$cache"/7zip-src/7zip-*/CPP >/dev/null 2>&1; then
  apt_update
  echo "bootstrap: fetching the 7zip source package into $cache/7zip-src"
  rm -rf "$cache/7zip-src" && mkdir -p "$cache/7zip-src"
  (cd "$cache/7zip-src" && apt-get source -qq 7zip)
fi

echo "bootstrap: everything present"
