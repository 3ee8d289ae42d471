#!/usr/bin/env bash
# Benchmark (not a test): time from the click on "Cancel" in the cancel confirmation to the
# installer's main window gone from the screen, to every window of it gone (the veil and the
# question too), and to its process ended, in two situations: at the licence stage with
# nothing downloading, and in the middle of a download (a throttled package of the release
# server). A native helper (tools/bench/click_until_gone.c) sends the click itself and polls
# the windows and the process every millisecond.
#   scripts/bench-cancel.sh [RUNS] [--bare-display] [--exe PATH]
# (default 5 runs; needs the Windows build and the native release server; --exe times another
# LumetraSetup.exe of the same processor kind, e.g. one built before a change)
# Without a window manager, Wine holds every window it hides for about 2 s, waiting for a
# manager that never answers; the question, the veil and the window are hidden one after the
# other, so that alone adds about 6 s. The installer's windows are therefore unmanaged here
# (the prefix's X11 driver setting Managed=N) and go as soon as the installer hides them, as
# on Windows or under a window manager. --bare-display times them as the end-to-end tests'
# display shows them, Wine's waits included.
set -euo pipefail
cd "$(dirname "$0")/.."
usage() { echo "usage: $0 [RUNS] [--bare-display] [--exe PATH]" >&2; exit 2; }
runs=5 bare=false exe=
while [ $# -gt 0 ]; do
  case $1 in
    --bare-display) bare=true ;;
    --exe) [ $# -ge 2 ] || usage; exe=$(realpath "$2"); shift ;;
    '' | *[!0-9]*) usage ;;
    *) runs=$1 ;;
  esac
  shift
done
[ "$runs" -ge 1 ] || usage

# An emulated 32-bit processor would time the emulator: the 64-bit build is timed there.
arch=$(tests/wine/wine-arch.sh --for-timing)
export LUMETRA_WINE_ARCH=$arch
if [ "$arch" = win64 ]; then build=build/win64; else build=build/win; fi
exe=${exe:-$build/LumetraSetup.exe}
[ -f "$exe" ] || { echo "no $exe: build $build first (scripts/test.sh)" >&2; exit 1; }
release_server=build/native/tools/release_server
[ -x "$release_server" ] || { echo "build the native preset first (scripts/test.sh)" >&2; exit 1; }

work=$PWD/build/bench-cancel
rm -rf "$work" && mkdir -p "$work"
cc -O2 -o "$work/click_until_gone" tools/bench/click_until_gone.c -lX11 -l:libXtst.so.6

# A prefix, display and release server of the benchmark's own.
root=$work/root
server=$work/release-server
installer=
finish() {
  if [ -n "$installer" ]; then kill "$installer" 2>/dev/null || true; fi
  tools/release_server/stop-for-tests.sh "$server" || true
  tests/wine/stop-prefix.sh "$root"
}
trap finish EXIT
tests/wine/make-prefix.sh "$root" >/dev/null
source tests/wine/wine-env.sh "$root"
if [ "$bare" = false ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
fi
user_dir=$WINEPREFIX/drive_c/users/$(whoami)
downloads=$user_dir/Downloads
log=$user_dir/AppData/Roaming/Lumetra/Log/Install.log
temp=$WINEPREFIX/drive_c/ProgramData/Lumetra/Temp

# The release: one package of 24 MiB, served at 600 000 bytes a second (about 40 s), so that
# a download is under way whenever it is cancelled.
tools/release_server/start-for-tests.sh "$release_server" "$server" >/dev/null
url="http://127.0.0.1:$(cat "$server/port")"
package_url=$url/fault/throttle=600000/package.7z
head -c $((24 * 1024 * 1024)) /dev/urandom >"$server/release/package.7z"
{
  printf '[Windows_Application]\r\nLatestVersion_10.0=App10\r\n'
  printf '[App10]\r\nURL=%s\r\nVersion=2.0.0.5\r\nMD5=%s\r\nBytes=%s\r\nOSSupport=all\r\n' \
    "$package_url" "$(md5sum "$server/release/package.7z" | cut -d' ' -f1)" $((24 * 1024 * 1024))
  printf '[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n'
} >"$server/release/update_win.ini"
printf '{\r\n  "ApplicationUpdate": "%s",\r\n  "WebConnectTimeout": 60000\r\n}\r\n' \
  "$url/update_win.ini" >"$downloads/TestServerForVexa.txt"
cp "$exe" "$downloads/LumetraSetup.exe"

wait_for_log() { # TEXT SECONDS: the exact message appears in this run's log
  local deadline=$((SECONDS + $2))
  until [ -f "$log" ] && sed -e 's/\r$//' -e 's/^[0-9-]*, [0-9:]* - //' "$log" | grep -qxF -- "$1"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "no log line \"$1\" in $2 s; the log ends with:" >&2
      tail -n 3 "$log" >&2 2>/dev/null || true
      return 1
    fi
    sleep 0.1
  done
}
click() { # X Y: a click at that point of the window
  xdotool mousemove $((left + $1)) $((top + $2)) click 1
  sleep 0.3
}

# time_cancel licence|download: one run; sets figures to "WINDOW EVERY_WINDOW PROCESS" (ms).
time_cancel() {
  rm -rf "$log" "$temp"
  wine "$downloads/LumetraSetup.exe" </dev/null >>"$work/wine.out" 2>&1 &
  installer=$!
  wait_for_log "Run this..." 60
  sleep 1
  local wid windows
  wid=$(xdotool search --onlyvisible --name '^Lumetra Installer$' | head -n1)
  [ -n "$wid" ] || { echo "no installer window" >&2; return 1; }
  read -r left top < <(xdotool getwindowgeometry "$wid" |
    sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p')
  if [ "$1" = licence ]; then
    click 290 588  # Cancel
  else
    click 48 518   # the licence tick
    click 110 588  # Continue
    wait_for_log "Download  start: $package_url" 30
    sleep 2
    click 374 24   # the close button
  fi
  # The question is up once the window, the veil and the question are all shown.
  for _ in $(seq 100); do
    windows=$(xdotool search --onlyvisible --pid "$installer" 2>/dev/null || true)
    [ "$(echo "$windows" | grep -c .)" -ge 3 ] && break
    sleep 0.2
  done
  [ "$(echo "$windows" | grep -c .)" -ge 3 ] || { echo "the question did not open" >&2; return 1; }
  sleep 0.5
  # The question's client (0, 0) is window point (35, 278); its Cancel ends at x 300 of it,
  # on the row at y 99: (317, 384) is inside it.
  # shellcheck disable=SC2086  # one argument a window
  figures=$("$work/click_until_gone" $((left + 317)) $((top + 384)) "$installer" 30000 \
    "$wid" $windows) || { echo "the installer did not close and end within 30 s" >&2; return 1; }
  wait "$installer" 2>/dev/null || true
  installer=
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
summary() { # FIGURES...: "median (min–max)"
  printf '%s\n' "$@" | sort -n | awk -v m="$(median "$@")" '
    NR == 1 { low = $1 } { high = $1 } END { printf "%.0f (%.0f–%.0f)", m, low, high }'
}

time_cancel licence  # warm-up: first start in the prefix, fonts, caches
declare -A window every ended
for situation in licence download; do
  for _ in $(seq "$runs"); do
    time_cancel "$situation"
    read -r w e p <<<"$figures"
    window[$situation]+="$w " every[$situation]+="$e " ended[$situation]+="$p "
  done
done

if [ "$bare" = true ]; then display="bare display, Wine's waits included"
else display="windows unmanaged"; fi
echo "runs: $runs ($exe, $arch, $display); from the click on Cancel in the question, ms"
for situation in licence download; do
  echo "$situation: window gone ${window[$situation]}; every window ${every[$situation]}; ended ${ended[$situation]}"
done
label() { [ "$1" = licence ] && echo "licence stage, nothing downloading" || echo "in the middle of a download"; }
for situation in licence download; do
  # shellcheck disable=SC2086
  echo "$(label "$situation"): window gone $(summary ${window[$situation]}) ms," \
    "every window $(summary ${every[$situation]}) ms, process ended $(summary ${ended[$situation]}) ms"
done
