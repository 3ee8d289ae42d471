#!/usr/bin/env bash
# Makes the test run's Wine prefixes: a template (copied by tests that need a clean
# machine) and the shared prefix, kept alive by a persistent wineserver, and starts a
# private Xvfb display for the run.
set -euo pipefail
root=${1:?usage: make-prefix.sh TEST_ROOT}
here=$(cd "$(dirname "$0")" && pwd)

"$here/stop-prefix.sh" "$root" || true
rm -rf "$root"
mkdir -p "$root"
source "$here/wine-env.sh" "$root"

# A display of our own, picked by Xvfb among the free ones.
exec 3>"$root/display.number"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$root/xvfb.log" 2>&1 &
echo $! >"$root/xvfb.pid"
exec 3>&-
for _ in $(seq 100); do [ -s "$root/display.number" ] && break; sleep 0.1; done
echo ":$(tr -d '\n' <"$root/display.number")" >"$root/display"
export DISPLAY=$(cat "$root/display")

"$here/make-template.sh" "$root/template"
mv "$root/template.wineboot.log" "$root/wineboot.log"

cp -a "$root/template" "$root/prefix"
export WINEPREFIX=$root/prefix
# Everything that outlives this script must not hold its output open, or ctest waits
# for it: the persistent server, and the prefix's services, which the first Wine process
# starts and which inherit that process's output.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >>"$root/wineboot.log" 2>&1
echo "shared prefix $WINEPREFIX on display $DISPLAY"
