#!/usr/bin/env bash
# Offline for real: the installer runs in a network namespace of its own whose only
# other interface has no default route, so the machine counts as disconnected. The
# fetch of the configuration fails (the server has none yet); the installer shows stage
# 1 and waits; once a default route exists it goes on by itself within about a second.
source "$(dirname "$0")/lib.sh"

make_offline_namespace

start_release_server "${NS[@]}"
publish_package package.7z 4096
config_url=$SERVER_URL/update_win.ini
write_override "$config_url" 5000

place_installer
# The Wine session must start inside the namespace.
"${NS[@]}" wine "$DOWNLOADS/LumetraSetup.exe" >>"$E2E_DIR/wine.out" 2>&1 &
E2E_PIDS+=("$!")

wait_for_log "Download ini file failed for network disconnect." 60 || fail "offline not noticed"
sleep 2
[ "$(log_messages | grep -cxF "Server: $config_url")" -eq 1 ] || fail "retried while still offline"
log_messages | grep -qxF "Run this..." && fail "went on while offline"
wid=$(find_window "$CAPTION" 10) || fail "no window while offline"
offline=$(screenshot offline)
# Stage 1: the status line in red, the busy animation going on.
[ "$(count_in "$offline" "$wid" 40 470 320 62 'r>0.8&&g<0.4&&b<0.4')" -gt 30 ] ||
  fail "the offline text is not red"
[ "$(count_in "$offline" "$wid" 160 549 80 16 'b>0.6&&r<0.5')" -gt 10 ] || fail "no busy animation"

{
  printf '[Windows_Application]\r\nLatestVersion_10.0=App10\r\n'
  ini_package_section package.7z App10 2.0.0.5
  printf '[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n'
} >"$SERVER_STATE/release/update_win.ini"
"${NS[@]}" ip route add default via 10.200.0.2
online_at=$(date +%s%N)
for _ in $(seq 100); do
  [ "$(log_messages | grep -cxF "Server: $config_url")" -ge 2 ] && break
  sleep 0.05
done
resumed_ms=$(( ($(date +%s%N) - online_at) / 1000000 ))
[ "$(log_messages | grep -cxF "Server: $config_url")" -ge 2 ] || fail "did not resume when online"
[ "$resumed_ms" -le 1500 ] || fail "resumed only after $resumed_ms ms"
echo "resumed $resumed_ms ms after the connection came back"
wait_for_log "Run this..." 30 || fail "the configuration was not read after resuming"
