#!/usr/bin/env bash
# An ordinary start: the window opens borderless at 400 x 700 in the bottom-right corner,
# the first log lines are written, a second start ends silently without writing anything
# (not even its log lines), and Escape asks before it closes.
source "$(dirname "$0")/lib.sh"

place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe"
first=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window titled '$CAPTION'"

[ "$(window_size "$wid")" = "400x700" ] || fail "size $(window_size "$wid")"
# 1280 x 1024 screen without a taskbar: 24 pixels inside the bottom-right corner.
[ "$(window_origin "$wid")" = "856 300" ] || fail "origin $(window_origin "$wid")"
shot=$(screenshot window)
[ "$(pixel_at "$shot" 1056 750)" = "255,255,255" ] || fail "window is not white"

expect_log_order "$DOWNLOADS_WIN\\LumetraSetup.exe" "cmdline: " \
  "ProcessUser: $WIN_USER, LogonUser: $WIN_USER" \
  "Original appdata tmp folder: C:\\users\\$WIN_USER\\AppData\\Roaming\\Lumetra\\Temp" \
  "Working folder: $WORK_DIR_WIN"
[ -d "$USER_DIR/AppData/Roaming/Lumetra/Modules" ] || fail "folders not created"
# The per-user Temp is only named: the elevated installer works where users cannot write.
[ -d "$WORK_DIR" ] || fail "no working folder"
[ ! -e "$USER_DIR/AppData/Roaming/Lumetra/Temp" ] || fail "the per-user Temp folder was made"

# A second instance finds the first one's mutex before it writes anything, and ends
# without a window of its own.
start_wine "$DOWNLOADS/LumetraSetup.exe" 1 2
wait_exit "$E2E_LAST_PID" 20 || fail "second instance still running"
[ "$(log_messages | grep -cxF "cmdline: 1 2")" -eq 0 ] || fail "the second start wrote to the log"
[ "$(count_windows "$CAPTION")" -eq 1 ] || fail "second window"
kill -0 "$first" || fail "first instance ended"

press_key_in "$wid" Escape
sleep 2
kill -0 "$first" || fail "Escape closed the window without asking"
# The question is open; Tab, Tab, Space choose its Cancel.
press_key_in "$wid" Tab
press_key_in "$wid" Tab
press_key_in "$wid" space
wait_exit "$first" 15 || fail "Cancel in the question did not close the window"
