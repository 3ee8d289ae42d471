#!/usr/bin/env bash
# Prints the Wine architecture this machine can run: "win32" when it starts 32-bit Wine
# (the shipped installer's own kind), else "win64" (the tests then run the 64-bit stand-in
# build under 64-bit Wine). With --describe: which build the Wine tiers run, and why. With
# --for-timing: "win32" only where 32-bit programs run on the processor itself, since an
# emulated processor would time the emulator (the benchmarks then time the 64-bit build).
wine32=/usr/lib/wine/wine
emulator=/proc/sys/fs/binfmt_misc/lumetra-i386
if error=$("$wine32" --version 2>&1 >/dev/null); then arch=win32; else arch=win64; fi
emulated=false
grep -qx enabled "$emulator" 2>/dev/null && emulated=true
if [ "${1:-}" = --for-timing ]; then
  if [ "$arch" = win32 ] && [ "$emulated" = false ]; then echo win32; else echo win64; fi
elif [ "${1:-}" != --describe ]; then
  echo "$arch"
elif [ "$arch" = win32 ] && [ "$emulated" = true ]; then
  echo "the shipped i686 build (build/win) under 32-bit Wine, its processor emulated by qemu-user: this kernel cannot start 32-bit programs (scripts/bootstrap.sh registered $(sed -n 's/^interpreter //p' "$emulator"))"
elif [ "$arch" = win32 ]; then
  echo "the shipped i686 build (build/win) under 32-bit Wine"
elif [ ! -e "$wine32" ]; then
  echo "the x86-64 stand-in (build/win64), NOT the shipped i686 build: 32-bit Wine (wine32:i386) is not installed"
else
  echo "the x86-64 stand-in (build/win64), NOT the shipped i686 build: this machine cannot run 32-bit programs (${error##*: }); the shipped build is checked only by reading its files (import-check)"
fi
