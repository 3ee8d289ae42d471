#!/usr/bin/env bash
# Unpacking speed of two builds of the carried extractor, in the same run: each unpacks the
# same 7z package (100 MiB: 60 MiB of random bytes, 40 MiB of text, LZMA2 as the release kit
# packs) under Wine, alternately, RUNS times after a warm-up. Prints each run and the medians.
#   scripts/bench-extractor.sh FIRST_7ZA SECOND_7ZA [RUNS]
# Timed on the 64-bit Wine where this machine emulates 32-bit programs (pass x86-64 builds).
set -euo pipefail
cd "$(dirname "$0")/.."
first=${1:?FIRST_7ZA} second=${2:?SECOND_7ZA} runs=${3:-5}
export LUMETRA_WINE_ARCH=$(tests/wine/wine-arch.sh --for-timing)
root=$(mktemp -d /tmp/lumetra-bench.XXXXXX)
export LUMETRA_TEST_ROOT=$root/wine
trap 'tests/wine/stop-prefix.sh "$LUMETRA_TEST_ROOT" >/dev/null 2>&1 || true; rm -rf "$root"' EXIT
tests/wine/make-prefix.sh "$LUMETRA_TEST_ROOT" >"$root/prefix.log" 2>&1
source tests/wine/wine-env.sh "$LUMETRA_TEST_ROOT"
export WINEPREFIX=$LUMETRA_TEST_ROOT/prefix

mkdir -p "$root/pkg/Lumetra_9"
head -c $((60 * 1024 * 1024)) /dev/urandom >"$root/pkg/Lumetra_9/random.bin"
# yes ends on the pipe's close, which pipefail would count as a failure.
{ yes "Lumetra resources, line of text that repeats with a counter" || true; } |
  head -c $((40 * 1024 * 1024)) >"$root/pkg/Lumetra_9/text.txt"
(cd "$root/pkg" && 7zz a -bd -bso0 -m0=lzma2 -mx5 "$root/package.7z" Lumetra_9)
cp "$first" "$root/first.exe"
cp "$second" "$root/second.exe"

time_one() { # EXE: seconds to unpack the package into a fresh folder
  rm -rf "$root/out"
  mkdir -p "$root/out"
  local start end
  start=$(date +%s.%N)
  (cd "$root/out" && wine "$root/$1" x -y -bd "$(winepath -w "$root/package.7z")" >/dev/null 2>&1)
  end=$(date +%s.%N)
  cmp -s "$root/out/Lumetra_9/random.bin" "$root/pkg/Lumetra_9/random.bin" || { echo "bad unpack" >&2; exit 1; }
  echo "$end - $start" | bc
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
time_one first.exe >/dev/null
time_one second.exe >/dev/null
: >"$root/first.txt"
: >"$root/second.txt"
for run in $(seq "$runs"); do
  a=$(time_one first.exe) b=$(time_one second.exe)
  echo "run $run: first $a s, second $b s"
  echo "$a" >>"$root/first.txt"
  echo "$b" >>"$root/second.txt"
done
echo "medians: first $(median <"$root/first.txt") s, second $(median <"$root/second.txt") s ($LUMETRA_WINE_ARCH Wine)"
