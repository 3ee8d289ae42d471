#!/usr/bin/env bash
# An administrator's unattended installation on a machine without the .NET Framework and
# the VC runtime, run by a Windows caller that reads the exit code: "/quiet" alone installs
# nothing and answers 87; "/quiet /acceptlicence" into a folder with blanks and non-Latin
# letters installs everything a click on Continue would (prerequisites, files, uninstall
# entry with size and date, shortcuts, Run value, upgrader), never shows a window, writes
# its log where /log says too, and answers 0. With the window of another installer open,
# it answers 1618 and writes nothing.
source "$(dirname "$0")/lib.sh"

start_release_server
publish_sample_release
write_override "$SERVER_URL/update_win.ini" 30000
place_installer

run_unattended /quiet
[ "$UNATTENDED_CODE" = 87 ] || fail "/quiet alone answered $UNATTENDED_CODE"
wait_for_log "Unattended installation refused: /quiet needs /acceptlicence; nothing installed" 5 ||
  fail "no word of the missing /acceptlicence: $(log_messages | tail -n1)"
[ -z "$(log_messages | grep -F 'Download  start')" ] || fail "/quiet alone fetched something"

# Another installer's window is open: the unattended one leaves at once.
start_wine "$DOWNLOADS/LumetraSetup.exe"
gui=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window"
lines=$(log_messages | wc -l)
run_unattended /quiet /acceptlicence
[ "$UNATTENDED_CODE" = 1618 ] || fail "a second installer answered $UNATTENDED_CODE"
sleep 1
[ "$(log_messages | sed -n "$((lines + 1)),\$p" | grep -c 'cmdline: /quiet')" -eq 0 ] ||
  fail "the second installer wrote to the log"
leave_installer "$wid"
wait_exit "$gui" 20 || fail "the windowed installer did not end"
wineserver -w

dir_win='C:\Program Files\Mé 程序'
folder_win="$dir_win\\Lumetra"
run_unattended /quiet /acceptlicence "/dir=$dir_win" "/log=C:\\deploy log.txt"
[ "$UNATTENDED_CODE" = 0 ] || fail "the installation answered $UNATTENDED_CODE: $(log_messages | tail -n3)"
[ -z "$UNATTENDED_WINDOWS" ] || fail "windows appeared: $UNATTENDED_WINDOWS"
wineserver -w

folder=$(LC_ALL=C.UTF-8 winepath -u "$folder_win")
expect_files_of_package "$folder" "$SAMPLE_MANIFEST" upgrader_started.txt upgrader_folder.txt
[ -s "$folder/upgrader_started.txt" ] || fail "the upgrader was not started"
records=$WINEPREFIX/drive_c/ProgramData/LumetraFixtures
for setup in dotnet_setup vc_setup; do
  [ "$(cat "$records/$setup.txt" 2>/dev/null)" = "/q /norestart" ] || fail "$setup did not run"
done
# The entry as a .reg file (UTF-16): the console's code page would lose the letters.
wine reg export 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra' \
  "$(winepath -w "$E2E_DIR/entry.reg")" /reg:32 /y >/dev/null 2>&1 || fail "no uninstall entry"
entry=$(iconv -f UTF-16 -t UTF-8 "$E2E_DIR/entry.reg" | tr -d '\r')
grep -qxF "\"InstallLocation\"=\"${folder_win//\\/\\\\}\"" <<<"$entry" || fail "entry: $entry"
size_kib=$(( 16#$(sed -n 's/^"EstimatedSize"=dword://p' <<<"$entry") ))
[ "$size_kib" -ge $(( $(du -sk --apparent-size "$folder" | cut -f1) - 8 )) ] || fail "size $size_kib KiB: $entry"
grep -qxF "\"InstallDate\"=\"$(date +%Y%m%d)\"" <<<"$entry" || fail "no date: $entry"
[ -f "$WINEPREFIX/drive_c/users/Public/Desktop/Lumetra.lnk" ] || fail "no desktop shortcut"
[ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lumetra.lnk" ] ||
  fail "no Start Menu shortcut"
wine reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Lumetra >/dev/null 2>&1 ||
  fail "no Run value"
grep -qF "Unattended installation ends with exit code 0" "$WINEPREFIX/drive_c/deploy log.txt" ||
  fail "the /log file lacks the run"
expect_log_order "Licence accepted with /acceptlicence" "CopytoInstallPath ok" "RegisterToSystem ok" \
  "Unattended installation ends with exit code 0"

exit 0
