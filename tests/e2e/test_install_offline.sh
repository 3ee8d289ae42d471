#!/usr/bin/env bash
# The machine goes offline in the middle of the package: the installer runs in a network
# namespace of its own, the package comes slowly, and half-way the default route goes
# away and a routing rule makes 127.0.0.1 unreachable (the cable pulled: the transfer
# stalls and every new connection fails). The window shows stage 1 and the log counts
# "Retry: 0", "Retry: 1", ... every half second; when the route and the server come back,
# the download goes on from the partial file with a ranged request and the installation
# completes.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

make_offline_namespace
prepare_cable_pull

start_release_server "${NS[@]}"
package_path=/fault/throttle=1000000/Lumetra_2.0.0.5.7z  # about 1 MB a second
SAMPLE_PAD_MB=4 publish_sample_release "$SERVER_URL$package_path"
package_url=$SERVER_URL$package_path
write_override "$SERVER_URL/update_win.ini" 2000
place_installer
"${NS[@]}" wine "$DOWNLOADS/LumetraSetup.exe" >>"$E2E_DIR/wine.out" 2>&1 &
installer=$!
E2E_PIDS+=("$installer")
wid=$(find_window "$CAPTION" 30) || fail "no window"
wait_for_log "Run this..." 30 || fail "the licence stage was not reached"
sleep 1
click_at "$wid" 48 518
click_at "$wid" 110 588

partial=$WORK_DIR/$SAMPLE_PACKAGE
wait_for_log "Download  start: $package_url" 60 || fail "the package download did not start"
for _ in $(seq 150); do
  [ "$(size_of "$partial" 2>/dev/null || echo 0)" -ge 1500000 ] && break
  sleep 0.1
done
[ "$(size_of "$partial")" -ge 1500000 ] || fail "the package did not arrive"
pull_cable
wait_for_log "Download app failed for network disconnect, continue" 30 ||
  fail "the broken download was not taken for a lost connection (last: $(log_messages | tail -n1))"
wait_for_log "Retry: 1" 5 || fail "no retries counted"
kept=$(size_of "$partial")
[ "$kept" -ge 1500000 ] || fail "the partial file was not kept: $kept bytes"
waiting=$(shot_of "$wid" offline)
[ "$(count_in "$waiting" "$wid" 20 440 360 100 'r>0.7&&g<0.4&&b<0.4')" -gt 20 ] ||
  fail "no red status line while offline"
counted=$(log_messages | grep -c '^Retry: ')
sleep 3
recounted=$(log_messages | grep -c '^Retry: ')
[ $((recounted - counted)) -ge 5 ] && [ $((recounted - counted)) -le 7 ] ||
  fail "$((recounted - counted)) retries in 3 s, not one every half second"
plug_cable
wait_exit "$installer" 60 || fail "the installer did not finish (last log line: $(log_messages | tail -n1))"
"${NS[@]}" wineserver -w

# The retries count up from 0 without a gap, and only while offline.
retries=$(log_messages | grep '^Retry: ' | sed 's/^Retry: //')
[ "$retries" = "$(seq 0 $(($(wc -l <<<"$retries") - 1)))" ] || fail "retries counted: $(echo $retries)"
expect_log_order "Download  start: $package_url" "Download finish: $package_url" \
  "Download failed" "Download app failed for network disconnect, continue" "Retry: 0" \
  "Retry: 1" "Download  start: $package_url" "Download finish: $package_url" "Download ok" \
  "Install" "CopytoInstallPath ok" "RegisterToSystem ok"
# Resumed from the file as it lay: the request after the outage asked for what it lacked.
last_request=$(grep -F " $package_path " "$SERVER_STATE/requests.log" | tail -n1)
[ "$last_request" = "GET $package_path HTTP/1.0 range=bytes=$kept-" ] ||
  fail "the download did not resume from $kept bytes: $last_request"

folder=$(winepath -u 'C:\Program Files\Lumetra')
expect_files_of_package "$folder" "$SAMPLE_MANIFEST" upgrader_started.txt upgrader_folder.txt
[ "$(wc -l <"$folder/upgrader_started.txt")" -eq 1 ] || fail "the upgrader did not start once"
