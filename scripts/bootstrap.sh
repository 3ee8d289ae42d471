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
  g++-mingw-w64-x86-64 wine64 clang libclang-rt-14-dev libssl-dev openssl zlib1g-dev
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

# Kernels with IA-32 emulation switched off cannot start 32-bit Wine, and so not the 32-bit
# installer we ship. There qemu-user emulates the 32-bit processor instead, registered for
# i386 programs through binfmt_misc, so that the tests and the demo still run the shipped
# build. Debian 12's qemu (7.2) lacks what 32-bit Wine needs to start (MAP_FIXED_NOREPLACE):
# bookworm-backports' qemu-user has it, and only its qemu-i386 is unpacked into the cache.
wine32=/usr/lib/wine/wine
binfmt=/proc/sys/fs/binfmt_misc
if [ -e "$wine32" ] && ! "$wine32" --version >/dev/null 2>&1; then
  qemu=$cache/qemu-user/qemu-i386
  if [ ! -x "$qemu" ]; then
    backports_list=/etc/apt/sources.list.d/lumetra-backports.sources
    if [ ! -f "$backports_list" ]; then
      echo "bootstrap: adding bookworm-backports ($backports_list; nothing is installed from it)"
      cat > "$backports_list" <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
      updated=0
    fi
    apt_update
    echo "bootstrap: unpacking qemu-i386 of bookworm-backports' qemu-user into $cache/qemu-user"
    unpack=$(mktemp -d)
    if (cd "$unpack" && apt-get download -qq qemu-user/bookworm-backports 2>/dev/null &&
        dpkg-deb -x qemu-user_*.deb root); then
      mkdir -p "$cache/qemu-user"
      cp "$unpack/root/usr/bin/qemu-i386" "$qemu.new" && mv "$qemu.new" "$qemu"
    fi
    rm -rf "$unpack"
  fi
  if [ -x "$qemu" ]; then
    echo "bootstrap: this kernel cannot start 32-bit programs: registering $qemu for them"
    mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt" || true
    [ -e "$binfmt/lumetra-i386" ] && { echo -1 >"$binfmt/lumetra-i386" || true; }
    # 32-bit ELF programs, executables and shared objects; F: the emulator is opened now,
    # P: the program keeps its own name as argv[0].
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":lumetra-i386:M::$magic:$mask:$qemu:FP" >"$binfmt/register" 2>/dev/null || true
  fi
  "$wine32" --version >/dev/null 2>&1 ||
    echo "bootstrap: 32-bit Wine cannot start here; the Wine tests will run the 64-bit build" >&2
fi

echo "bootstrap: everything present"
