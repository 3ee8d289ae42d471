#!/usr/bin/env bash
# The main job: builds the installer and runs it under Wine against a local release.
# With $DISPLAY set the window appears there and the script waits until it is closed;
# without one it runs on a private Xvfb display and saves screenshots in build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD/build/demo

if [ "$(id -u)" -eq 0 ]; then bash scripts/bootstrap.sh; fi
cmake --preset native >/dev/null && cmake --build --preset native
cmake --preset win >/dev/null && cmake --build --preset win
# Where the kernel cannot start 32-bit programs, Wine runs the 64-bit build instead.
win_build=build/win
if [ "$(tests/wine/wine-arch.sh)" = win64 ]; then
  cmake --preset win64 >/dev/null && cmake --build --preset win64
  win_build=build/win64
fi

mkdir -p "$root"
export LUMETRA_KEEP_DISPLAY=1
export WINEPREFIX=$root/prefix
source tests/wine/wine-env.sh "$root"

xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  tools/release_server/stop-for-tests.sh "$root/release-server"
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  exec 3>"$root/display.number"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$root/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$root/display.number" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '\n' <"$root/display.number")"
  echo "demo: no DISPLAY, running on Xvfb $DISPLAY; screenshots go to $root"
fi

if [ ! -d "$WINEPREFIX" ]; then
  echo "demo: creating the Wine prefix $WINEPREFIX (about 20 s, once)"
  wineboot -i </dev/null >"$root/wineboot.log" 2>&1
  wineserver -w
fi

# A local release on 127.0.0.1, and the override file that points the installer at it.
tools/release_server/start-for-tests.sh build/native/tools/release_server "$root/release-server"
base_url=http://127.0.0.1:$(cat "$root/release-server/port")
scripts/make-sample-release.sh "$root/release-server/release" "$base_url" "$win_build/fixtures"

downloads=$(echo "$WINEPREFIX"/drive_c/users/*/Downloads)
printf '{\r\n  "ApplicationUpdate": "%s/update_win.ini",\r\n  "WebConnectTimeout": 30000\r\n}\r\n' \
  "$base_url" >"$downloads/TestServerForVexa.txt"
cp "$win_build/LumetraSetup.exe" "$downloads/LumetraSetup.exe"
echo "demo: starting $downloads/LumetraSetup.exe"
wine "$downloads/LumetraSetup.exe" >"$root/wine.out" 2>&1 &
installer=$!

if [ -n "$xvfb_pid" ]; then
  for shot in 1 2 3; do
    sleep 3
    import -window root "$root/screenshot-$shot.png"
    echo "demo: saved $root/screenshot-$shot.png"
  done
  kill "$installer" 2>/dev/null || true
else
  wait "$installer" || true
fi
log=$(echo "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Lumetra/Log/Install.log)
echo "demo: requests the release server saw:"
cat "$root/release-server/requests.log" || true
echo "demo: install log $log"
tail -n 20 "$log" || true
