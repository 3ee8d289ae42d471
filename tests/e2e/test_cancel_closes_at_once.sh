#!/usr/bin/env bash
# Cancel closes the window first: at the licence stage another program holds a file in the
# installer's Temp folder open, so that the folder's removal goes on retrying for its full
# time. Once the person confirms Cancel, every window of the installer is gone while that
# removal is still at work (a file put into the folder after the window went is removed
# too), and only then does the installer end, by itself. Its log says that the Temp folder
# could not be removed, and the folder keeps only the held file.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

# Without a window manager Wine holds every window it hides for about 2 s (see
# test_cancel_flow.sh): the question, the veil and the window, one after the other, would
# outlast the removal's 3 s of retries whatever the installer does. Unmanaged, windows go as
# soon as the installer hides them, as they do on Windows.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
  fail "cannot make the windows unmanaged"

start_release_server
publish_release
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 60) || fail "no window"
wait_for_log "Run this..." 60 || fail "the licence stage was not reached"

temp=$WORK_DIR
temp_win=$WORK_DIR_WIN
temp_files() { ls -A "$temp" 2>/dev/null | tr '\n' ' '; }
start_wine "$LUMETRA_BUILD_DIR/fixtures/hold_file.exe" "$temp_win\\held.dat" 600
for _ in $(seq 300); do [ -e "$temp/held.dat" ] && break; sleep 0.2; done
[ -e "$temp/held.dat" ] || fail "hold_file did not open its file in the Temp folder"

# The installer's windows on screen: the window, and over it the veil and the question.
windows_shown() { xdotool search --onlyvisible --pid "$installer" 2>/dev/null | wc -l; }
# wait_windows OP COUNT SECONDS: until [ windows_shown OP COUNT ] holds.
wait_windows() {
  local deadline=$((SECONDS + $3))
  until [ "$(windows_shown)" "$1" "$2" ]; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
running() { kill -0 "$installer" 2>/dev/null && echo running || echo ended; }
[ "$(windows_shown)" -ge 1 ] || fail "the installer's window is not found by its process id"
click_at "$wid" 290 588  # Cancel
wait_windows -ge 3 30 || fail "no question after Cancel: $(windows_shown) windows shown"
sleep 1
shot_of "$wid" asked >/dev/null
# The question's client (0, 0) is window point (35, 278); its Cancel ends at x 300 of it, on
# the row at y 99: (317, 384) lies inside it.
click_at "$wid" 317 384

if ! wait_windows -eq 0 30; then
  shot_of "$wid" not-closed >/dev/null
  fail "$(windows_shown) windows of the installer still shown 30 s after Cancel (installer $(running))"
fi
touch "$temp/after-the-window.dat"
[ "$(running)" = running ] ||
  fail "the installer had already ended when its window went (Temp folder: $(temp_files))"
wait_exit "$installer" 30 || fail "the installer did not end within 30 s of its window"

left=$(temp_files)
[ "$left" = "held.dat " ] ||
  fail "the Temp folder keeps [$left], not just the held file: nothing removed files from it once the window had gone"
expect_log_order "Run this..." "Temp folder could not be removed: $temp_win"
