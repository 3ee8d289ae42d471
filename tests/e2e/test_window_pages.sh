#!/usr/bin/env bash
# Two more pages: a newer installer half fetched fills half the progress bar (150 of its 300
# pixels, in bar blue), and a Windows version without any entry shows the unsupported-OS
# page, whose OK removes the Temp folder and ends the installer.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

start_release_server
# Two reads of 512 KiB arrive, then the server stalls: the bar stands at 50 %.
publish_package installer.exe 2097152
publish_package package.7z 4096
{
  printf '[Windows_Application]\r\nLatestVersion_10.0=App10\r\n'
  ini_package_section package.7z App10 2.0.0.5
  printf '[Windows_Installer]\r\nDebug=InstallerNext\r\n'
  ini_package_section installer.exe InstallerNext 9.0.0.0 |
    sed "s#^URL=.*#URL=$SERVER_URL/fault/stall=1048576/installer.exe#"
  printf '[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n'
} >"$SERVER_STATE/release/update_win.ini"
write_override "$SERVER_URL/update_win.ini" 60000
place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window"
wait_for_log "Installer new version exist" 30 || fail "the newer installer was not noticed"
half=""
for attempt in $(seq 20); do
  sleep 0.5
  half=$(shot_of "$wid" progress-50)
  [ "$(window_pixel "$half" "$wid" 195 556)" = "48,123,215" ] && break
done
[ "$(window_pixel "$half" "$wid" 60 556)" = "48,123,215" ] || fail "the bar is not blue"
[ "$(window_pixel "$half" "$wid" 199 556)" = "48,123,215" ] || fail "the bar ends before 150 px"
[ "$(window_pixel "$half" "$wid" 201 556)" = "232,231,231" ] || fail "the bar goes past 150 px"
[ "$(window_pixel "$half" "$wid" 345 556)" = "232,231,231" ] || fail "no track after the bar"
wineserver -k 2>/dev/null || true
wait_exit "$installer" 10 || true

# No entry for this Windows version and none to fall back on.
{
  printf '[Windows_Application]\r\nLatestVersion_5.1=AppXp\r\n'
  ini_package_section package.7z AppXp 2.0.0.5
  printf '[Windows_Installer]\r\n[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n'
} >"$SERVER_STATE/release/update_win.ini"
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window for the unsupported-OS page"
wait_for_log "Doesn't support current OS" 30 || fail "the configuration was not refused"
sleep 1
page=$(shot_of "$wid" os-unsupported)
[ "$(window_pixel "$page" "$wid" 200 150)" = "74,74,74" ] || fail "no unsupported-OS picture"
[ "$(window_pixel "$page" "$wid" 128 588)" = "0,120,214" ] || fail "no OK button"
[ "$(count_in "$page" "$wid" 40 320 320 30 'r<0.3&&g<0.3&&b<0.3')" -gt 20 ] || fail "no heading"
# Above the heading's letters: the main illustration's stand must not show through.
[ "$(window_pixel "$page" "$wid" 200 322)" = "255,255,255" ] || fail "illustration behind the heading"
[ "$(count_in "$page" "$wid" 40 360 320 40 'abs(r-0.61)<0.08&&abs(r-b)<0.05')" -gt 20 ] ||
  fail "no unsupported-OS text"
[ "$(count_in "$page" "$wid" 360 10 30 30 'r<0.8&&abs(r-b)<0.05')" -eq 0 ] || fail "window buttons on the OS page"
temp=$WORK_DIR
[ -d "$temp" ] || fail "no Temp folder before OK"
click_at "$wid" 200 588
wait_exit "$installer" 15 || fail "OK did not end the installer"
[ ! -e "$temp" ] || fail "OK left the Temp folder"
