#!/usr/bin/env bash
# Benchmark (not a test): time from starting LumetraSetup.exe under Wine to its first
# painted window with the illustration visible, against a minimal mingw window measured the
# same way in the same run (runs alternate). A native helper starts the program and polls
# one screen pixel (the illustration's sun) every millisecond.
#   scripts/bench-first-paint.sh [RUNS]      (default 10; needs the Windows build)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
# An emulated 32-bit processor would time the emulator: the 64-bit build is timed there.
arch=$(tests/wine/wine-arch.sh --for-timing)
export LUMETRA_WINE_ARCH=$arch
if [ "$arch" = win64 ]; then build=build/win64 cxx=x86_64-w64-mingw32-g++-posix
else build=build/win cxx=i686-w64-mingw32-g++-posix; fi
[ -f "$build/LumetraSetup.exe" ] || { echo "build $build first (scripts/test.sh)" >&2; exit 1; }

work=$PWD/build/bench-first-paint
rm -rf "$work" && mkdir -p "$work"
cc -O2 -o "$work/wait_first_paint" tools/bench/wait_first_paint.c -lX11
$cxx -std=c++20 -O2 -static -municode -mwindows -o "$work/minimal_window.exe" \
  tools/bench/minimal_window.cpp

# A prefix and display of the benchmark's own, with a persistent wineserver, as in the tests.
root=$work/root
tests/wine/make-prefix.sh "$root" >/dev/null
trap 'tests/wine/stop-prefix.sh "$root"' EXIT
source tests/wine/wine-env.sh "$root"
downloads=$(echo "$WINEPREFIX"/drive_c/users/*/Downloads)
cp "$build/LumetraSetup.exe" "$work/minimal_window.exe" "$downloads/"
# No server answers: the window stays in its first stage while it is timed.
printf '{\r\n  "ApplicationUpdate": "http://127.0.0.1:9/update_win.ini",\r\n  "WebConnectTimeout": 1000\r\n}\r\n' \
  >"$downloads/TestServerForVexa.txt"

# The sun of the illustration: window point (200, 233) of the window at (856, 300).
probe=(1056 533 ffd45c 20000)
time_one() { "$work/wait_first_paint" "${probe[@]}" wine "$downloads/$1"; }
time_one LumetraSetup.exe >/dev/null  # warm-up: first start in the prefix, fonts, caches
time_one minimal_window.exe >/dev/null

installer=() minimal=()
for _ in $(seq "$runs"); do
  installer+=("$(time_one LumetraSetup.exe)")
  minimal+=("$(time_one minimal_window.exe)")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
mi=$(median "${installer[@]}")
mm=$(median "${minimal[@]}")
echo "runs: $runs ($arch)"
echo "LumetraSetup.exe first paint, ms: ${installer[*]}"
echo "minimal window first paint, ms:   ${minimal[*]}"
awk -v a="$mi" -v b="$mm" 'BEGIN { printf "median: %.0f ms against %.0f ms, ratio %.2f\n", a, b, a / b }'
pair_ratios=()
for i in "${!installer[@]}"; do
  pair_ratios+=("$(awk -v a="${installer[$i]}" -v b="${minimal[$i]}" 'BEGIN { printf "%.3f", a / b }')")
done
echo "median of the per-pair ratios: $(median "${pair_ratios[@]}")"
