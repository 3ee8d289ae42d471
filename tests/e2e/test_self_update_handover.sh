#!/usr/bin/env bash
# The hand-over of a self-update: "tmpLumetraSetup.exe u 120 340" waits for the running
# LumetraSetup.exe to end, copies itself over it and starts it at left 340, top 120; the
# restarted installer removes the copy on a later start.
source "$(dirname "$0")/lib.sh"

place_installer
# The "new" installer differs in its bytes (a trailing byte after the image), so the copy
# can be told from the old file.
cp "$LUMETRA_EXE" "$DOWNLOADS/tmpLumetraSetup.exe"
printf 'N' >>"$DOWNLOADS/tmpLumetraSetup.exe"
cp "$DOWNLOADS/tmpLumetraSetup.exe" "$E2E_DIR/new-installer.exe"

# A hand-over line given to a file that is not a "tmp" copy does nothing.
start_wine "$DOWNLOADS/LumetraSetup.exe" u 120 340
wait_exit "$E2E_LAST_PID" 20 || fail "u form on LumetraSetup.exe did not end at once"
log_messages | grep -q "^copy file from" && fail "copied without a tmp name"

start_wine "$DOWNLOADS/LumetraSetup.exe"
old=$E2E_LAST_PID
old_wid=$(find_window "$CAPTION" 30) || fail "no window"

start_wine "$DOWNLOADS/tmpLumetraSetup.exe" u 120 340
handover=$E2E_LAST_PID
sleep 2
kill -0 "$handover" 2>/dev/null || fail "the hand-over did not wait for the old installer"
log_messages | grep -q "^copy file from" && fail "copied while the old installer ran"

leave_installer "$old_wid"
wait_exit "$old" 15 || fail "old installer did not close"
wait_exit "$handover" 20 || fail "hand-over copy did not end"

wid=$(find_window "$CAPTION" 30) || fail "restarted installer has no window"
[ "$(window_origin "$wid")" = "340 120" ] || fail "restarted at $(window_origin "$wid")"
cmp -s "$E2E_DIR/new-installer.exe" "$DOWNLOADS/LumetraSetup.exe" || fail "not copied over"
expect_log_order "cmdline: u 120 340" \
  "copy file from $DOWNLOADS_WIN\\tmpLumetraSetup.exe to $DOWNLOADS_WIN\\LumetraSetup.exe" \
  "Copy ok" "$DOWNLOADS_WIN\\LumetraSetup.exe" "cmdline: 120 340" \
  "delete file: $DOWNLOADS_WIN\\tmpLumetraSetup.exe"

leave_installer "$wid"
wait_exit "$E2E_LAST_PID" 15 || true
wineserver -w

# The restarted installer deletes the copy at once; while the copy's process still runs
# that fails silently, and a later start with a position removes it.
if [ -e "$DOWNLOADS/tmpLumetraSetup.exe" ]; then
  log_messages | grep -qxF "Delete ok" && fail "Delete ok logged but the copy is still there"
  rm -f "$INSTALL_LOG"
  start_wine "$DOWNLOADS/LumetraSetup.exe" 120 340
  wid=$(find_window "$CAPTION" 30) || fail "no window"
  wait_for_log "Delete ok" 10 || fail "leftover copy not deleted"
  [ -e "$DOWNLOADS/tmpLumetraSetup.exe" ] && fail "tmp copy still there"
  leave_installer "$wid"
  wait_exit "$E2E_LAST_PID" 15 || fail "not closed"
else
  expect_log_order "delete file: $DOWNLOADS_WIN\\tmpLumetraSetup.exe" "Delete ok"
fi
