#!/usr/bin/env bash
# Ends what make-prefix.sh started: the shared prefix's wineserver and the Xvfb display.
root=${1:?usage: stop-prefix.sh TEST_ROOT}
[ -d "$root" ] || exit 0
source "$(dirname "$0")/wine-env.sh" "$root"
WINEPREFIX=$root/prefix wineserver -k 2>/dev/null || true
if [ -f "$root/xvfb.pid" ]; then
  kill "$(cat "$root/xvfb.pid")" 2>/dev/null || true
  rm -f "$root/xvfb.pid"
fi
exit 0
