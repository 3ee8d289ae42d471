#!/usr/bin/env bash
# The position form "TOP LEFT" opens the window where a predecessor stood, after trying
# to remove a leftover hand-over copy; unusable positions fall back to the default place.
source "$(dirname "$0")/lib.sh"

place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe" 120 340
wid=$(find_window "$CAPTION" 30) || fail "no window"
[ "$(window_origin "$wid")" = "340 120" ] || fail "origin $(window_origin "$wid")"
expect_log_order "cmdline: 120 340" "delete file: $DOWNLOADS_WIN\\tmpLumetraSetup.exe"
log_messages | grep -qxF "Delete ok" && fail "reported deleting a file that was not there"
leave_installer "$wid"
wait_exit "$E2E_LAST_PID" 15 || fail "not closed"

start_wine "$DOWNLOADS/LumetraSetup.exe" abc xyz
wid=$(find_window "$CAPTION" 30) || fail "no window"
[ "$(window_origin "$wid")" = "856 300" ] || fail "abc xyz: origin $(window_origin "$wid")"
leave_installer "$wid"
wait_exit "$E2E_LAST_PID" 15 || fail "not closed"
