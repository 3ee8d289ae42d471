#!/usr/bin/env bash
# The licence stage as a person uses it: Continue shows its disabled face until the box is
# ticked, by mouse or by Tab and Space; a press on the disabled Continue does nothing;
# Continue then starts the download with the folder row showing where Lumetra goes; the
# minimize button puts the window away.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

start_release_server
publish_package package.7z 65536
# The package stalls at its first byte: the download stage stays on screen.
publish_release fault/stall=0/package.7z
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window"
wait_for_log "Run this..." 30 || fail "the licence stage was not reached"
sleep 1

continue_face() { window_pixel "$(shot_of "$wid" "$1")" "$wid" 38 588; }
disabled="200,200,200"
enabled="0,120,214"
[ "$(continue_face licence)" = "$disabled" ] || fail "Continue is not disabled at first"
shot=$E2E_DIR/licence.png
[ "$(window_pixel "$shot" "$wid" 48 518)" = "255,255,255" ] || fail "the box is not unticked"
[ "$(count_in "$shot" "$wid" 64 510 301 57 'b>0.7&&r<0.2')" -gt 30 ] || fail "no links in the licence line"
[ "$(count_in "$shot" "$wid" 360 10 30 30 'r<0.8')" -eq 0 ] || fail "window buttons in the licence stage"

click_at "$wid" 110 588
[ "$(continue_face disabled-press)" = "$disabled" ] || fail "the disabled Continue changed"
log_messages | grep -q "^Download  start: .*package" && fail "a disabled Continue started the download"

click_at "$wid" 48 518
[ "$(continue_face ticked)" = "$enabled" ] || fail "ticking the box did not enable Continue"
[ "$(window_pixel "$E2E_DIR/ticked.png" "$wid" 48 512)" = "0,120,214" ] || fail "the box shows no tick"
click_at "$wid" 48 518
[ "$(continue_face unticked)" = "$disabled" ] || fail "unticking did not disable Continue"

# The keyboard: the first Tab reaches the box's proxy, Space ticks it.
key_in "$wid" Tab space
[ "$(continue_face keyboard-ticked)" = "$enabled" ] || fail "Tab and Space did not tick the box"
[ "$(window_pixel "$E2E_DIR/keyboard-ticked.png" "$wid" 40 519)" = "0,120,214" ] ||
  fail "the box shows no focus"

click_at "$wid" 110 588
wait_for_log "Download start: $SERVER_URL/fault/stall=0/package.7z" 30 ||
  log_messages | grep -q "Download" || fail "Continue did not start the download"
sleep 1
download=$(shot_of "$wid" downloading)
[ "$(window_pixel "$download" "$wid" 200 556)" = "232,231,231" ] || fail "no progress track"
[ "$(count_in "$download" "$wid" 300 589 80 36 'abs(r-0.61)<0.05&&abs(g-0.61)<0.05')" -gt 50 ] ||
  fail "no Browse button"
[ "$(count_in "$download" "$wid" 20 595 100 24 'r<0.8')" -gt 5 ] || fail "no Install to label"
[ "$(count_in "$download" "$wid" 360 10 30 30 'r<0.8')" -gt 5 ] || fail "no window buttons"

# Without a window manager on the test display the window stays drawn; what Wine asks of
# the X server (the iconic state hint) tells that it was minimized.
iconic() { xprop -id "$wid" WM_HINTS | grep -q "Iconic State"; }
iconic && fail "iconic before the minimize button was pressed"
click_at "$wid" 334 23
iconic || fail "the minimize button did not minimize the window"
kill -0 "$installer" || fail "minimizing ended the installer"
