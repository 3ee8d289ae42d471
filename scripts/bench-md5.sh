#!/usr/bin/env bash
# Benchmark (not a test): MD5 verification of a 256 MiB file, natively and under Wine,
# against md5sum on the same file in the same run. Prints the best of N runs of each.
#   scripts/bench-md5.sh [WIN_BUILD_DIR]     (default build/win, built with its preset)
# A Wine prefix is made for the run unless LUMETRA_TEST_ROOT names one that exists.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win_build=${1:-build/win}
runs=${BENCH_RUNS:-5}
work=$root/build/bench-md5
mkdir -p "$work"

[ -f "$win_build/liblumetra_win.a" ] || { echo "build $win_build first (cmake --build)" >&2; exit 1; }
[ "$(tests/wine/wine-arch.sh --for-timing)" = win32 ] ||
  echo "== WARNING: this machine runs 32-bit programs on an emulated processor or not at all: the figure under Wine times the emulator" >&2

echo "== building the benchmark programs"
g++ -std=c++20 -O2 -DNDEBUG -Isrc -o "$work/md5_bench" tools/bench/md5_bench.cpp src/download/md5_core.cpp
i686-w64-mingw32-g++-posix -std=c++20 -O2 -DNDEBUG -DUNICODE -D_UNICODE -Isrc \
  -I"$win_build/generated" -static -o "$work/md5_bench.exe" tools/bench/md5_bench.cpp \
  "$win_build/liblumetra_win.a" "$win_build/liblumetra_core.a" \
  -lshlwapi -lshell32 -lole32 -luser32 -lkernel32

file=$work/bench-256MiB.bin
size=$((256 * 1024 * 1024))
if [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" != "$size" ]; then
  echo "== making $file"
  head -c "$size" /dev/urandom >"$file"
fi
md5=$(md5sum "$file" | cut -c1-32)
cat "$file" >/dev/null  # in the page cache for every contender

best_md5sum() {
  local best=999
  for _ in $(seq "$runs"); do
    local start end t
    start=$(date +%s.%N); md5sum "$file" >/dev/null; end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; print (t < b ? t : b) }')
  done
  printf '%.3f' "$best"
}

own_root=""
if [ -z "${LUMETRA_TEST_ROOT:-}" ] || [ ! -d "$LUMETRA_TEST_ROOT/prefix" ]; then
  own_root=$work/wine-root
  echo "== making a Wine prefix in $own_root"
  tests/wine/make-prefix.sh "$own_root" >/dev/null
  export LUMETRA_TEST_ROOT=$own_root
fi
trap '[ -n "$own_root" ] && tests/wine/stop-prefix.sh "$own_root"' EXIT
winfile="Z:${file//\//\\}"

echo "== $runs runs each, best kept (MB = 10^6 bytes)"
ref=$(best_md5sum)
read -r nt nmb nok < <("$work/md5_bench" "$file" "$size" "$md5" "$runs")
read -r wt wmb wok < <(tests/wine/wine-run.sh "$work/md5_bench.exe" "$winfile" "$size" "$md5" "$runs" | tr -d '\r')
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ref_mb=$(awk -v s="$size" -v t="$ref" 'BEGIN { printf "%.1f", s / t / 1e6 }')
printf '%-34s %8s s %8s MB/s\n' "md5sum" "$ref" "$ref_mb"
printf '%-34s %8s s %8s MB/s  %s  (%s of md5sum)\n' "digest core, native" "$nt" "$nmb" "$nok" "$(ratio "$nmb" "$ref_mb")"
printf '%-34s %8s s %8s MB/s  %s  (%s of md5sum)\n' "CheckDownloadFile, Wine" "$wt" "$wmb" "$wok" "$(ratio "$wmb" "$ref_mb")"
