#!/usr/bin/env bash
# The server drops the connection in the middle of the package: the download goes on with
# a ranged request for exactly what the file lacks, and the installation completes with
# the package's files, as if nothing had happened.
source "$(dirname "$0")/lib.sh"

start_release_server
cut_at=1000000  # not a multiple of the download's 512 KiB reads
SAMPLE_PAD_MB=2 publish_sample_release "$SERVER_URL/fault/close=$cut_at,once/Lumetra_2.0.0.5.7z"
package_size=$(size_of "$SERVER_STATE/release/$SAMPLE_PACKAGE")
[ "$package_size" -gt $((cut_at * 2)) ] || fail "the package is too small for the test"
write_override "$SERVER_URL/update_win.ini" 30000
place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window"
wait_for_log "Run this..." 30 || fail "the licence stage was not reached"
sleep 1
click_at "$wid" 48 518
click_at "$wid" 110 588
wait_exit "$installer" 90 || fail "the installer did not finish (last log line: $(log_messages | tail -n1))"
wineserver -w

package_target=/fault/close=$cut_at,once/$SAMPLE_PACKAGE
grep -F " $package_target " "$SERVER_STATE/requests.log" >"$E2E_DIR/package-requests.log" || true
[ "$(cat "$E2E_DIR/package-requests.log")" = "GET $package_target HTTP/1.0 range=-
GET $package_target HTTP/1.0 range=bytes=$cut_at-" ] ||
  fail "package requests: $(cat "$E2E_DIR/package-requests.log")"
expect_log_order "Download  start: $SERVER_URL$package_target" "Network disconnect, retry!" \
  "Download finish: $SERVER_URL$package_target" "Download ok" "CopytoInstallPath ok" \
  "RegisterToSystem ok"
log_messages | grep -i "fail" && fail "a failure in the log"

folder=$(winepath -u 'C:\Program Files\Lumetra')
expect_files_of_package "$folder" "$SAMPLE_MANIFEST" upgrader_started.txt upgrader_folder.txt
[ "$(wc -l <"$folder/upgrader_started.txt")" -eq 1 ] || fail "the upgrader did not start once"
[ ! -e "$WORK_DIR" ] || fail "the Temp folder is still there"
