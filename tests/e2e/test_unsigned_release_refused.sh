#!/usr/bin/env bash
# An installer built with a publisher's key (the demo's installer) pointed at a release
# whose configuration carries no signature, and then at one whose configuration was
# changed after signing: it shows the configuration error and fetches and runs nothing.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

start_release_server
publish_sample_release
release=$SERVER_STATE/release
write_override "$SERVER_URL/update_win.ini" 5000
cp "$LUMETRA_BUILD_DIR/demo/LumetraSetupDemo.exe" "$DOWNLOADS/LumetraSetup.exe" ||
  fail "no demo installer in the build"

temp=$WORK_DIR_WIN
refused_run() { # WHY: one run that must end in the configuration error
  : >"$SERVER_STATE/requests.log"
  start_wine "$DOWNLOADS/LumetraSetup.exe"
  local installer=$E2E_LAST_PID wid
  wid=$(find_window "$CAPTION" 30) || fail "no window"
  wait_for_log "Server configuration refused, its signature $1: $temp\\server.ini.sig" 30 ||
    fail "no refusal ($1) in the log: $(log_messages | tail -n 3)"
  sleep 1
  # The error stage's status line is red.
  shot=$(shot_of "$wid" "refused-${1// /-}")
  [ "$(count_in "$shot" "$wid" 0 505 400 35 'r>0.8&&g<0.3&&b<0.3')" -gt 20 ] || fail "no error on screen"
  log_messages | grep -q "Run this" && fail "the refused configuration was acted on"
  grep -vE 'GET /update_win\.ini(\.sig)? ' "$SERVER_STATE/requests.log" &&
    fail "something besides the configuration was fetched"
  [ ! -e "$WORK_DIR/server.ini" ] || fail "the refused file was kept"
  leave_installer "$wid"
  wait_exit "$installer" 30 || fail "the installer did not close"
}

refused_run "is missing"

# Signed with the demo's key, then one byte changed.
"$LUMETRA_NATIVE_BUILD_DIR/tools/lumetra-release" sign "$release/update_win.ini" \
  --key "$LUMETRA_BUILD_DIR/demo-key/release-key.pem" >/dev/null || fail "cannot sign"
sed -i 's/^Needed=1/Needed=0/' "$release/update_win.ini"
refused_run "does not match"
exit 0
