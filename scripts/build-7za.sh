#!/usr/bin/env bash
# Builds the 7-Zip standalone console extractor (7za.exe) for 32-bit Windows (or, with
# ARCH x86_64, for 64-bit Windows) from the unpacked Debian `7zip` sources with mingw, and
# puts it at OUT (a cache outside the build folders, named after the source version).
# Several builds may ask at once: one builds, the others wait for it and find the file.
# Optimised for size (-Os, given as the makefile's last flags so that they win over its
# -O2): a third smaller, and it unpacks as fast (scripts/bench-extractor.sh).
#   build-7za.sh SOURCE_DIR OUT [i686|x86_64]
set -euo pipefail
src=${1:?usage: build-7za.sh SOURCE_DIR OUT}
out=${2:?usage: build-7za.sh SOURCE_DIR OUT}
arch=${3:-i686}
case $arch in
  i686) tools=(CC=i686-w64-mingw32-gcc CXX=i686-w64-mingw32-g++
               "RC=i686-w64-mingw32-windres -F pe-i386" MY_ARCH=-m32) ;;
  x86_64) tools=(CC=x86_64-w64-mingw32-gcc CXX=x86_64-w64-mingw32-g++
                 "RC=x86_64-w64-mingw32-windres -F pe-x86-64" MY_ARCH=) ;;
  *) echo "build-7za: unknown ARCH $arch" >&2; exit 1 ;;
esac
out_dir=$(dirname "$out")
mkdir -p "$out_dir"

exec 9>"$out_dir/.lock"
flock 9
if [ -s "$out" ]; then exit 0; fi

work=$(mktemp -d "$out_dir/build.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The makefile builds inside the source tree: work on a copy, the cache stays clean.
cp -a "$src/C" "$src/CPP" "$work/"
echo "build-7za: building 7za.exe ($arch) from $src (a few minutes)"
start=$(date +%s)
if ! make -C "$work/CPP/7zip/Bundles/Alone" -f makefile.gcc -j"$(nproc)" \
    IS_MINGW=1 "${tools[@]}" LFLAGS_STRIP=-s FLAGS_FLTO=-Os \
    >"$work/make.log" 2>&1; then
  tail -n 40 "$work/make.log" >&2
  echo "build-7za: make failed" >&2
  exit 1
fi
cp "$work/CPP/7zip/Bundles/Alone/_o/7za.exe" "$out.tmp"
mv "$out.tmp" "$out"
echo "build-7za: $out ready in $(( $(date +%s) - start )) s"
