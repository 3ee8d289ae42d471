#!/usr/bin/env bash
# How an unattended installation ends when it cannot install, and when a newer installer
# takes over, as a Windows caller reads it: offline for longer than /wait → 1603 after
# about that long; a prerequisite installer that installs nothing → 1603; a newer
# installer announced → it runs from the working folder with the same switches and no
# further update, and its result is the answer, while the installer in Downloads stays.
source "$(dirname "$0")/lib.sh"

make_offline_namespace
prepare_cable_pull
"${NS[@]}" wineserver -p
start_release_server "${NS[@]}"
RUNNER=("${NS[@]}")
place_installer

publish_sample_release
write_override "$SERVER_URL/update_win.ini" 2000
pull_cable
started=$SECONDS
run_unattended /quiet /acceptlicence /wait=5
plug_cable
[ "$UNATTENDED_CODE" = 1603 ] || fail "offline past /wait answered $UNATTENDED_CODE"
[ $((SECONDS - started)) -lt 60 ] || fail "the wait took $((SECONDS - started)) s"
expect_log_order "Still offline after 5 s, giving up" "Unattended installation ends with exit code 1603"

SAMPLE_PREREQUISITES=fail publish_sample_release
run_unattended /quiet /acceptlicence
[ "$UNATTENDED_CODE" = 1603 ] || fail "a failing prerequisite answered $UNATTENDED_CODE"
expect_log_order "Install .net framwork failed" "Unattended installation ends with exit code 1603"
[ -e "$WINEPREFIX/drive_c/Program Files/Lumetra" ] && fail "installed after a failed prerequisite"

# A newer installer for this one ("Debug"): the sample release, and the next build.
publish_sample_release
release=$SERVER_STATE/release
cp "$LUMETRA_NEXT_EXE" "$release/LumetraSetup-next.exe"
sed -i 's/^\[Windows_Installer\]\r$/&\nDebug=InstallerNext\r/' "$release/update_win.ini"
ini_package_section LumetraSetup-next.exe InstallerNext 1.25.0.31 >>"$release/update_win.ini"
before=$(md5sum <"$DOWNLOADS/LumetraSetup.exe")
run_unattended /quiet /acceptlicence
[ "$UNATTENDED_CODE" = 0 ] || fail "the self-update answered $UNATTENDED_CODE: $(log_messages | tail -n3)"
expect_log_order "New installer checked, it goes on unattended: $WORK_DIR_WIN\\tmpLumetraSetup.exe" \
  "cmdline: /quiet /acceptlicence /wait=300 /noupdate" \
  "Installer update not looked for: this installer is the update" \
  "Unattended installation ends with exit code 0" "The new installer ended with exit code 0" \
  "Unattended installation ends with exit code 0"
[ "$(md5sum <"$DOWNLOADS/LumetraSetup.exe")" = "$before" ] || fail "the installer in Downloads was replaced"
[ -s "$WINEPREFIX/drive_c/Program Files/Lumetra/upgrader_started.txt" ] || fail "not installed"
exit 0
