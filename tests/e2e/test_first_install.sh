#!/usr/bin/env bash
# A first installation as a person does it, on a machine without the .NET Framework and
# the VC runtime: tick the box, press Continue, watch the download (stage 5), the
# installation (stage 7) and "Installation complete" (stage 8) go by, and then check
# from outside what the installer left: both prerequisite installers ran silently, the
# install folder holds exactly the package's files, the uninstall entry (32-bit view),
# the two shortcuts, the Run value, no Temp folder, the upgrader started in its folder
# with the window's place and the start time, the installer gone, and the log in order.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

start_release_server
publish_sample_release
release=$SERVER_STATE/release
write_override "$SERVER_URL/update_win.ini" 30000
place_installer
launched=$(date +%s)
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window"
wait_for_log "Run this..." 30 || fail "the licence stage was not reached"
licence_at=$(date +%s)
sleep 1
shot_of "$wid" licence >/dev/null

click_at "$wid" 48 518  # the box
# Frames whenever the status line, the progress track, the Browse button or the folder
# row changes: the stages that follow come and go faster than screenshots could be asked for.
record_stages "$wid" 0,505,400,35 200,556 340,607 20,595,360,20
click_at "$wid" 110 588  # Continue
wait_exit "$installer" 90 || fail "the installer did not finish (last log line: $(log_messages | tail -n1))"
stop_recording_stages
wineserver -w

# --- the stages, as the window showed them ------------------------------------------
is_downloading() { # the folder row with Browse under a progress bar
  [ "$(frame_count_in "$1" 300 589 80 36 'abs(r-0.61)<0.05&&abs(g-0.61)<0.05')" -gt 50 ] &&
    [ "$(frame_count_in "$1" 50 552 300 9 'r<0.95')" -gt 100 ]
}
is_installing() { # a progress bar, the "Installing to" line, no Browse, no window buttons
  [ "$(frame_count_in "$1" 300 589 80 36 'abs(r-0.61)<0.05&&abs(g-0.61)<0.05')" -lt 5 ] &&
    [ "$(frame_count_in "$1" 50 552 300 9 'r<0.95')" -gt 100 ] &&
    [ "$(frame_count_in "$1" 20 595 360 20 'r<0.7')" -gt 20 ] &&
    [ "$(frame_count_in "$1" 360 10 30 30 'r<0.8')" -eq 0 ]
}
is_complete() { # the status line alone: no bar, no folder row, no window buttons
  [ "$(frame_count_in "$1" 50 552 300 9 'r<0.95')" -eq 0 ] &&
    [ "$(frame_count_in "$1" 20 585 360 40 'r<0.95')" -eq 0 ] &&
    [ "$(frame_count_in "$1" 0 505 400 35 'r<0.5')" -gt 30 ] &&
    [ "$(frame_count_in "$1" 360 10 30 30 'r<0.8')" -eq 0 ]
}
# The three stages, in this order, among the frames.
stages=(downloading installing complete) numbers=(5 7 8) next=0
for frame in "$E2E_DIR"/frames/frame-*.ppm; do
  [ -e "$frame" ] || fail "no frame recorded after Continue"
  [ "$next" -lt ${#stages[@]} ] || break
  if "is_${stages[next]}" "$frame"; then
    convert "$frame" "$E2E_DIR/stage${numbers[next]}-${stages[next]}.png"
    next=$((next + 1))
  fi
done
[ "$next" -eq ${#stages[@]} ] ||
  fail "stage ${stages[next]} not seen after Continue (of $(cat "$E2E_DIR/frames.count") frames)"

# --- what the installer left ----------------------------------------------------------
expect_log_order "app download needed" "CopytoInstallPath ok" "RegisterToSystem ok"
folder_win='C:\Program Files\Lumetra'
folder=$(winepath -u "$folder_win")
expect_files_of_package "$folder" "$SAMPLE_MANIFEST" upgrader_started.txt upgrader_folder.txt

fixture_records=$WINEPREFIX/drive_c/ProgramData/LumetraFixtures
for setup in dotnet_setup vc_setup; do
  [ "$(cat "$fixture_records/$setup.txt" 2>/dev/null)" = "/q /norestart" ] ||
    fail "$setup did not run once with /q /norestart: $(cat "$fixture_records/$setup.txt" 2>/dev/null)"
done

# The uninstall entry, read in the 32-bit view; on 64-bit Windows it is not in the other.
uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra'
wine reg query "$uninstall" /reg:32 >"$E2E_DIR/uninstall.txt" 2>&1 || fail "no uninstall entry"
sed -i 's/\r$//' "$E2E_DIR/uninstall.txt"
expect_value() { # NAME TYPE DATA
  grep -qxF "    $1    $2    $3" "$E2E_DIR/uninstall.txt" ||
    fail "uninstall value $1 is not $2 $3: $(grep " $1 " "$E2E_DIR/uninstall.txt")"
}
expect_value DisplayName REG_SZ Lumetra
expect_value InstallLocation REG_SZ "$folder_win"
expect_value Publisher REG_SZ Corvane
expect_value From REG_SZ Corvane
expect_value HelpLink REG_SZ http://www.corvane.example
expect_value DisplayVersion REG_SZ 2.0.0.5
expect_value UninstallString REG_SZ "\"$folder_win\\uninstaller.exe\""
expect_value DisplayIcon REG_SZ "\"$folder_win\\uninstaller.exe\""
expect_value NoModify REG_DWORD 0x1
expect_value NoRepair REG_DWORD 0x1
expect_value InstallDate REG_SZ "$(date +%Y%m%d)"
grep -qE '^    EstimatedSize    REG_DWORD    0x[0-9a-f]+$' "$E2E_DIR/uninstall.txt" || fail "no EstimatedSize"
[ "$(grep -c '^    ' "$E2E_DIR/uninstall.txt")" -eq 12 ] || fail "the uninstall entry has other values"
if [ "$WINEARCH" = win64 ]; then
  wine reg query "$uninstall" /reg:64 2>/dev/null | grep -q '    REG_' &&
    fail "the uninstall entry is written in the 64-bit view"
fi

# The shortcuts: the public desktop's and the Start Menu's, the same link to Lumetra.exe.
desktop_link=$WINEPREFIX/drive_c/users/Public/Desktop/Lumetra.lnk
menu_link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lumetra.lnk"
[ -f "$desktop_link" ] || fail "no desktop shortcut"
[ -f "$menu_link" ] || fail "no Start Menu shortcut"
cmp -s "$desktop_link" "$menu_link" || fail "the two shortcuts differ"
grep -qaF "$folder_win\\Lumetra.exe" "$desktop_link" || fail "the shortcut does not point at Lumetra.exe"

run=$(wine reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Lumetra 2>/dev/null | tr -d '\r')
grep -qxF "    Lumetra    REG_SZ    \"$folder_win\\Lumetra.exe\" /WinStart" <<<"$run" ||
  fail "Run value: $run"

[ ! -e "$WORK_DIR" ] || fail "the Temp folder is still there"

# The upgrader: the window's top and left, the start time in quotes, the maker; started
# in the folder just installed.
started=$(tr -d '\r' <"$folder/upgrader_started.txt")
[ "$(wc -l <"$folder/upgrader_started.txt")" -eq 1 ] || fail "the upgrader started more than once"
[[ $started =~ ^300\ 856\ \"([0-9]{2}/[0-9]{2}/[0-9]{4}\ [0-9]{2}:[0-9]{2}:[0-9]{2})\"\ Corvane$ ]] ||
  fail "upgrader arguments: $started"
start_time=$(date -d "${BASH_REMATCH[1]}" +%s) || fail "not a time: ${BASH_REMATCH[1]}"
[ "$start_time" -ge "$launched" ] && [ "$start_time" -le "$licence_at" ] ||
  fail "start time ${BASH_REMATCH[1]} is not between the launch and the licence stage"
[ "$(tr -d '\r' <"$folder/upgrader_folder.txt")" = "$folder_win" ] ||
  fail "the upgrader ran in $(cat "$folder/upgrader_folder.txt")"
[ "$(count_windows "$CAPTION")" -eq 0 ] || fail "the installer window is still there"

# The log: the whole way, in order, and no failure on it.
nf=$(size_of "$release/ndp48-web.exe") vc=$(size_of "$release/vc_redist.x86.exe")
pk=$(size_of "$release/$SAMPLE_PACKAGE")
total=$((nf + vc + pk)) nf_part=$((nf * 100 / total)) vc_part=$((vc * 100 / total))
pk_start=$((nf_part + vc_part))
expect_log_order \
  "Download check .net framework" ".net framework download needed" \
  "vc2015 x86 download needed" "app download needed" \
  "nf_start: 0, nf_part: $nf_part." "vc2015x86_start: $nf_part, vc2015x86_part: $vc_part." \
  "pk_start: $pk_start, pk_part: $((100 - pk_start))." \
  "Download  start: $SERVER_URL/ndp48-web.exe" "Download finish: $SERVER_URL/ndp48-web.exe" \
  "Download ok" \
  "Download  start: $SERVER_URL/vc_redist.x86.exe" "Download finish: $SERVER_URL/vc_redist.x86.exe" \
  "Download ok" \
  "Download  start: $SERVER_URL/$SAMPLE_PACKAGE" "Download finish: $SERVER_URL/$SAMPLE_PACKAGE" \
  "Download ok" \
  "Install" "Install .net framwork" "Install .net framwork ok" \
  "Install vc2015 x86 redist." "Install vc2015 x86 ok" \
  "Install app" "CopytoInstallPath" "CopytoInstallPath ok" "RegisterToSystem ok" \
  "start app: $started, work area: {height: 1024, width: 1280}"
log_messages | grep -i "fail" && fail "a failure in the log"
# Each file was fetched once, whole.
for file in ndp48-web.exe vc_redist.x86.exe "$SAMPLE_PACKAGE"; do
  [ "$(grep -c "^GET /$file HTTP/1.0 range=-$" "$SERVER_STATE/requests.log")" -eq 1 ] ||
    fail "$file was not fetched exactly once: $(grep -F "$file" "$SERVER_STATE/requests.log")"
done
