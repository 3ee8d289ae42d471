#!/usr/bin/env bash
# The product is registered and current, and nothing else is to be fetched: the installer
# starts the installed Lumetra.exe with its window position, "0" and the maker's name, and
# closes.
source "$(dirname "$0")/lib.sh"

start_release_server
publish_package package.7z 65536
{
  printf '[Windows_Application]\r\nLatestVersion_10.0=App10\r\n'
  ini_package_section package.7z App10 2.0.0.5
  printf '[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n'
} >"$SERVER_STATE/release/update_win.ini"
write_override "$SERVER_URL/update_win.ini" 5000

location='C:\Program Files\Lumetra'
started=$(install_product_stub "$location")
uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra'
reg_add "$uninstall" InstallLocation "$location"
reg_add "$uninstall" DisplayVersion 2.0.0.5

place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wait_exit "$installer" 60 || fail "the installer did not close after starting the product"

for _ in $(seq 50); do [ -s "$started" ] && break; sleep 0.1; done
[ "$(cat "$started" 2>/dev/null)" = "300 856 0 Corvane" ] || fail "product got: $(cat "$started" 2>/dev/null)"
expect_log_order "Server: $SERVER_URL/update_win.ini" "timeout: 5000" \
  "Download  start: $SERVER_URL/update_win.ini" "Download  finish: $SERVER_URL/update_win.ini" \
  "Run this..." "No valid app to download, start the installed one: $location" \
  "start app: 300 856 0 Corvane, work area: {height: 1024, width: 1280}"
grep -q 'GET /package.7z' "$SERVER_STATE/requests.log" && fail "the current package was fetched"
exit 0
