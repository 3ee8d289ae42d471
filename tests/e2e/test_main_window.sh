#!/usr/bin/env bash
# The main window as a person sees it, from the first stage to a failure: the grey frame,
# the illustration, the busy animation while the configuration is awaited, the red status
# line once it cannot be had, a drag by a free spot, and Enter that closes nothing.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

start_release_server
# The server never answers: the window waits in its first stage until the time-out.
write_override "$SERVER_URL/fault/hang/update_win.ini" 6000
place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window"
sleep 1

first=$(shot_of "$wid" stage0-a)
sleep 0.5
second=$(shot_of "$wid" stage0-b)
regions_differ "$first" "$second" "$wid" 160 549 80 16 || fail "the busy animation stands still"
[ "$(count_in "$first" "$wid" 160 549 80 16 'b>0.6&&r<0.5')" -gt 10 ] || fail "no busy animation"
[ "$(window_pixel "$first" "$wid" 200 0)" = "216,216,216" ] || fail "no frame along the top"
[ "$(window_pixel "$first" "$wid" 0 350)" = "216,216,216" ] || fail "no frame along the left"
[ "$(window_pixel "$first" "$wid" 399 350)" = "216,216,216" ] || fail "no frame along the right"
[ "$(window_pixel "$first" "$wid" 200 698)" = "216,216,216" ] || fail "no 2-pixel frame at the bottom"
[ "$(window_pixel "$first" "$wid" 200 697)" = "255,255,255" ] || fail "bottom frame too thick"
[ "$(window_pixel "$first" "$wid" 200 233)" != "255,255,255" ] || fail "no illustration"
[ "$(count_in "$first" "$wid" 50 500 300 32 'r<0.6&&abs(r-g)<0.05&&abs(g-b)<0.05')" -gt 20 ] ||
  fail "no status text"
[ "$(count_in "$first" "$wid" 360 10 30 30 'r<0.8')" -gt 5 ] || fail "no close button"

# Enter presses nothing and ends nothing.
key_in "$wid" Return Return
kill -0 "$installer" || fail "Enter ended the installer"

# A drag on a free spot of the page moves the borderless window with the pointer.
read -r left top < <(window_origin "$wid")
xdotool mousemove $((left + 40)) $((top + 80)) mousedown 1
sleep 0.3
xdotool mousemove $((left + 10)) $((top + 60))
sleep 0.3
xdotool mousemove $((left - 60)) $((top + 20)) mouseup 1
sleep 0.5
[ "$(window_origin "$wid")" = "$((left - 100)) $((top - 60))" ] ||
  fail "dragged to $(window_origin "$wid"), expected $((left - 100)) $((top - 60))"

# The configuration never comes, the network is there: the failed stage, in red.
wait_for_log "Download ini failed for other reason, stop" 40 || fail "no failure after the time-out"
sleep 1
failed=$(shot_of "$wid" stage9)
[ "$(count_in "$failed" "$wid" 40 470 320 62 'r>0.8&&g<0.4&&b<0.4')" -gt 30 ] ||
  fail "the failure text is not red"
[ "$(count_in "$failed" "$wid" 160 549 80 16 'b>0.6&&r<0.5')" -eq 0 ] ||
  fail "the busy animation still shows"
kill -0 "$installer" || fail "the failure ended the installer"
