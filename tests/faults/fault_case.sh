#!/usr/bin/env bash
# One row of the fault matrix (scripts/fault-matrix.sh): a first installation against the
# release server with the fault FAULT_CASE, driven as a person would, then what the user
# saw and what the machine holds afterwards, written to FAULT_ROW as
# "fault|user saw|log outcome|files afterwards|nothing lost".
source "$LUMETRA_SOURCE_DIR/tests/e2e/lib.sh"
case_name=${FAULT_CASE:?}
row=${FAULT_ROW:?}
SAMPLE_PAD_MB=${SAMPLE_PAD_MB:-4}
export SAMPLE_PAD_MB
timeout_ms=10000

start_release_server
release=$SERVER_STATE/release
package=Lumetra_2.0.0.5.7z
mid=1500000
fault_url() { echo "$SERVER_URL/fault/$1/$package"; }
temp_dir=$USER_DIR/AppData/Roaming/Lumetra/Temp
case $case_name in
  close-mid-package) publish_sample_release "$(fault_url "close=$mid,once")" ;;
  reset-mid-package) publish_sample_release "$(fault_url "reset=$mid,once")" ;;
  short-body) publish_sample_release "$(fault_url "length=99999999,once")" ;;
  length-too-small) publish_sample_release "$(fault_url "length=1000,once")" ;;
  no-content-length) publish_sample_release "$(fault_url "chunked")" ;;
  range-ignored-after-close) publish_sample_release "$(fault_url "close=$mid,once,tag=a")"
    # The resumption's Range is answered with the whole file.
    sed -i "s|fault/close=$mid,once,tag=a|fault/close=$mid,once,ignore-range|" "$release/update_win.ini" ;;
  206-from-another-offset) publish_sample_release "$(fault_url "offset=1000,once")" ;;
  package-404) publish_sample_release "$(fault_url "status=404")" ;;
  connection-refused) publish_sample_release "http://127.0.0.1:9/$package" ;;
  stalled-server) publish_sample_release "$(fault_url "stall=$mid")"; timeout_ms=3000 ;;
  digest-mismatch) publish_sample_release
    sed -i "0,/^MD5=/s/^MD5=.*/MD5=0123456789abcdef0123456789abcdef\r/" "$release/update_win.ini" ;;
  corrupted-partial-in-temp) publish_sample_release
    mkdir -p "$temp_dir"
    head -c "$mid" /dev/urandom >"$temp_dir/$package" ;;
  malformed-config) publish_sample_release
    head -c 65536 /dev/urandom >"$release/update_win.ini" ;;
  config-10-mb) publish_sample_release
    head -c 10485760 < <(yes '[Application]') >"$release/update_win.ini" ;;
  *) fail "no such fault: $case_name" ;;
esac
write_override "$SERVER_URL/update_win.ini" "$timeout_ms"
place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window"
if wait_for_log "Run this..." 30; then
  sleep 1
  click_at "$wid" 48 518
  click_at "$wid" 110 588
fi
# Until the installer ends or shows an error; at most 60 s.
ended=no
for _ in $(seq 60); do
  if ! kill -0 "$installer" 2>/dev/null; then ended=yes; break; fi
  shot=$(shot_of "$wid" "last")
  [ "$(count_in "$shot" "$wid" 0 505 400 35 'r>0.8&&g<0.3&&b<0.3')" -gt 20 ] && break
  log_messages | grep -qxF "Doesn't support current OS" && break
  sleep 1
done

folder=$WINEPREFIX/drive_c/Program\ Files/Lumetra
# Listed by Windows: the entry's values, read back (the exit status of reg alone is not enough).
registered=no
wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra' /reg:32 2>/dev/null |
  grep -q 'InstallLocation' && registered=yes
if [ "$ended" = yes ] && [ -s "$folder/upgrader_started.txt" ]; then
  saw="installed; the window closed, the upgrader started"
else
  shot=$(shot_of "$wid" "last")
  if [ "$(count_in "$shot" "$wid" 0 505 400 35 'r>0.8&&g<0.3&&b<0.3')" -gt 20 ]; then
    saw="an error message (red status line)"
  elif log_messages | grep -qxF "Doesn't support current OS"; then
    saw="the unsupported-Windows page"
  else
    saw="the window still waiting (no error shown)"
  fi
  leave_installer "$wid" || true
  wait_exit "$installer" 20 || kill "$installer" 2>/dev/null || true
fi
outcome=$(log_messages | grep -vE '^download : |^Retry: ' | tail -n 1)
if [ -d "$folder" ] && (cd "$folder" && md5sum --quiet -c "$SAMPLE_MANIFEST" >/dev/null 2>&1); then
  files="the package's files, identical"
elif [ -d "$folder" ] && [ -n "$(ls -A "$folder")" ]; then
  files="an install folder that differs from the package"
else
  files="no install folder"
fi
[ -e "$temp_dir" ] && files="$files; Temp folder left" || files="$files; no Temp folder"
files="$files; uninstall entry: $registered"
lost=yes
if { [ "$files" != "${files#the package*}" ] && [ "$registered" = yes ]; } ||
   { [ "$files" != "${files#no install folder}" ] && [ "$registered" = no ]; }; then lost=no; fi
nothing_lost=$([ "$lost" = no ] && echo yes || echo no)
echo "$case_name|$saw|$outcome|$files|$nothing_lost" >"$row"
exit 0
