#!/usr/bin/env bash
# A newer installer is announced for every other installer version ("Debug"): the running
# one fetches and checks it, hands over, and the new one replaces the old file in place,
# starts at the old window's position and goes on to the licence stage.
source "$(dirname "$0")/lib.sh"

start_release_server
cp "$LUMETRA_NEXT_EXE" "$SERVER_STATE/release/LumetraSetup-next.exe"
publish_package package.7z 65536
{
  printf '[Windows_Application]\r\nLatestVersion_10.0=App10\r\n'
  ini_package_section package.7z App10 2.0.0.5
  printf '[Windows_Installer]\r\nDebug=InstallerNext\r\n'
  ini_package_section LumetraSetup-next.exe InstallerNext 1.25.0.31
  printf '[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n'
} >"$SERVER_STATE/release/update_win.ini"
write_override "$SERVER_URL/update_win.ini" 5000

place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe" 120 340
old=$E2E_LAST_PID
wait_exit "$old" 60 || fail "the old installer did not close for the hand-over"

# The restarted installer is the new version, in the old file's place and position.
wid=$(find_window "$CAPTION" 60) || fail "no window after the hand-over"
[ "$(window_origin "$wid")" = "340 120" ] || fail "restarted at $(window_origin "$wid")"
wait_for_log "Run this..." 30 || fail "the new installer did not read the configuration"
cmp -s "$LUMETRA_NEXT_EXE" "$DOWNLOADS/LumetraSetup.exe" || fail "LumetraSetup.exe was not replaced"

url=$SERVER_URL/LumetraSetup-next.exe
expect_log_order "cmdline: 120 340" "Installer new version exist" "Download start: $url" \
  "Download finish:$url" "Download new installer ok" \
  "cmdline: u 120 340" \
  "copy file from $DOWNLOADS_WIN\\tmpLumetraSetup.exe to $DOWNLOADS_WIN\\LumetraSetup.exe" \
  "Copy ok" "cmdline: 120 340" "delete file: $DOWNLOADS_WIN\\tmpLumetraSetup.exe" "Run this..."
[ "$(log_messages | grep -cxF "Installer new version exist")" -eq 1 ] || fail "the new one updated again"
screenshot ready-stage >/dev/null

leave_installer "$wid"
wait_exit "$(pgrep -f 'Downloads.LumetraSetup.exe' | head -n1 || echo 0)" 15 || true
wineserver -w

# The hand-over copy goes at the latest on the next start with a position.
if [ -e "$DOWNLOADS/tmpLumetraSetup.exe" ]; then
  start_wine "$DOWNLOADS/LumetraSetup.exe" 120 340
  wid=$(find_window "$CAPTION" 30) || fail "no window"
  wait_for_log "Delete ok" 10 || fail "leftover copy not deleted"
  leave_installer "$wid"
fi
[ -e "$DOWNLOADS/tmpLumetraSetup.exe" ] && fail "tmp copy still there"
exit 0
