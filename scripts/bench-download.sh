#!/usr/bin/env bash
# Download throughput: DownloadFile under Wine against curl and against the platform's
# ceiling (a bare WinINet loop of 512 KiB reads written straight to a file, also under
# Wine), from the same local release server, in the same run, on the same 200 MiB file;
# runs alternate (curl, bare, DownloadFile, curl, ...) so drift of the machine hits all
# alike. Prints each run and the medians.
#   scripts/bench-download.sh [NATIVE_BUILD] [WIN_BUILD] [RUNS]
# WIN_BUILD defaults to the build this machine's Wine runs (build/win, or build/win64 where
# the kernel cannot start 32-bit programs); its bench/download_bench.exe is measured.
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/native}
# An emulated 32-bit processor would time the emulator: the 64-bit build is timed there.
export LUMETRA_WINE_ARCH=$(tests/wine/wine-arch.sh --for-timing)
default_win=build/win
[ "$LUMETRA_WINE_ARCH" = win64 ] && default_win=build/win64
win=${2:-$default_win}
runs=${3:-5}
root=$(mktemp -d /tmp/lumetra-bench.XXXXXX)
export LUMETRA_TEST_ROOT=$root/wine

cleanup() {
  tools/release_server/stop-for-tests.sh "$root/server" || true
  tests/wine/stop-prefix.sh "$LUMETRA_TEST_ROOT" || true
  rm -rf "$root"
}
trap cleanup EXIT

tests/wine/make-prefix.sh "$LUMETRA_TEST_ROOT" >"$root/prefix.log" 2>&1
tools/release_server/start-for-tests.sh "$native/tools/release_server" "$root/server" >/dev/null
head -c $((200 * 1024 * 1024)) /dev/urandom >"$root/server/release/bench.bin"
url="http://127.0.0.1:$(cat "$root/server/port")/bench.bin"
mkdir -p "$root/out"

curl_run() {
  rm -f "$root/out/curl.bin"
  curl -s -o "$root/out/curl.bin" -w '%{size_download} %{time_total}\n' "$url" |
    awk '{ printf "%.1f\n", $1 / $2 / 1e6 }'
}
wine_run() { # [--bare]
  rm -f "$root/out/wine.bin"
  tests/wine/wine-run.sh "$win/bench/download_bench.exe" "$@" "$url" "$root/out/wine.bin" \
    >"$root/out/wine.txt" 2>&1 || true
  cmp -s "$root/out/wine.bin" "$root/server/release/bench.bin" || { echo "bad copy" >&2; cat "$root/out/wine.txt" >&2; exit 1; }
  sed -n 's/^bench: .*MBps=\([0-9.]*\) peak_private_growth_KiB=\([0-9]*\).*/\1 \2/p' "$root/out/wine.txt"
}

wine_run >/dev/null  # warm-up: page cache, first Wine start
curl_run >/dev/null
echo "run  curl_MBps  bare_MBps  DownloadFile_MBps  of_curl  of_bare  peak_private_growth_KiB"
: >"$root/results"
for i in $(seq "$runs"); do
  c=$(curl_run)
  read -r b _ < <(wine_run --bare)
  read -r w mem < <(wine_run)
  of_curl=$(awk -v w="$w" -v c="$c" 'BEGIN { printf "%.2f", w / c }')
  of_bare=$(awk -v w="$w" -v b="$b" 'BEGIN { printf "%.2f", w / b }')
  echo "$i    $c    $b    $w    $of_curl    $of_bare    $mem" | tee -a "$root/results"
done
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
echo "median curl MB/s:         $(awk '{ print $2 }' "$root/results" | median)"
echo "median bare loop MB/s:    $(awk '{ print $3 }' "$root/results" | median)"
echo "median DownloadFile MB/s: $(awk '{ print $4 }' "$root/results" | median)"
echo "median of curl:           $(awk '{ print $5 }' "$root/results" | median)"
echo "median of the bare loop:  $(awk '{ print $6 }' "$root/results" | median)  (goal: at least 0.90)"
