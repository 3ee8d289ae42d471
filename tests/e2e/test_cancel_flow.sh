#!/usr/bin/env bash
# Leaving safely: Cancel, the close button and Escape lay a grey veil over the window and
# ask in a rounded box. Escape answers Resume and the window works on; while the question
# is open the download's progress leaves the bar alone, and after Resume it moves it again.
# A click exactly on the edge of a choice chooses nothing; Tab, Tab, Space chooses Cancel:
# the installer ends while its download runs, and its Temp folder is gone.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

# Layered windows show their translucency only through a compositor.
xcompmgr </dev/null >"$E2E_DIR/xcompmgr.log" 2>&1 &
E2E_PIDS+=("$!")

start_release_server
publish_package package.7z $((24 * 1024 * 1024))
publish_release fault/throttle=600000/package.7z
start_wine "$DOWNLOADS/LumetraSetup.exe"
installer=$E2E_LAST_PID
wid=$(find_window "$CAPTION" 30) || fail "no window"
wait_for_log "Run this..." 30 || fail "the licence stage was not reached"
sleep 1

# The confirmation opens centred over the window: its client (0, 0) is window point
# (35, 278), and its two choices end at x 300 of it, on a row starting at y 99.
veiled() { # PNG: the white page shows grey-blue through the veil (about 39 % opaque)
  local pixel r b
  pixel=$(window_pixel "$1" "$wid" 200 60)
  r=${pixel%%,*} b=${pixel##*,}
  [ "$r" -ge 185 ] && [ "$r" -le 205 ] && [ "$b" -gt "$r" ]
}
question_shown() { # PNG: the white rounded box with its dark question text
  [ "$(window_pixel "$1" "$wid" 200 290)" = "255,255,255" ] &&
    [ "$(count_in "$1" "$wid" 65 308 266 63 'r<0.5&&g<0.5&&b<0.5')" -gt 20 ]
}

click_at "$wid" 290 588  # Cancel
sleep 2
asked=$(shot_of "$wid" asked-from-cancel)
veiled "$asked" || fail "no grey veil over the window: $(window_pixel "$asked" "$wid" 200 60)"
question_shown "$asked" || fail "no question"
# The box's corners are cut round: its very corner shows the veil, not white.
[ "$(window_pixel "$asked" "$wid" 35 278)" != "255,255,255" ] || fail "the question box is not rounded"

# Without a window manager Wine waits about 2 s for each window it hides, so the veil takes
# a few seconds to go after an answer.
wait_unveiled() { # NAME: prints the first screenshot without the veil
  local shot
  for _ in $(seq 20); do
    shot=$(shot_of "$wid" "$1")
    veiled "$shot" || { echo "$shot"; return 0; }
    sleep 0.5
  done
  return 1
}
key_in_at() { # X Y KEY...: keys with the pointer on a window point (keys follow the pointer)
  local x y left top
  x=$1 y=$2
  shift 2
  read -r left top < <(window_origin "$wid")
  xdotool mousemove $((left + x)) $((top + y))
  sleep 0.2
  for key in "$@"; do xdotool key "$key"; sleep 0.3; done
}
key_in_at 200 290 Escape
wait_unveiled resumed >/dev/null || fail "Escape left the veil"
kill -0 "$installer" || fail "Escape ended the installer"

# The window works on: tick, Continue, the download runs.
click_at "$wid" 48 518
click_at "$wid" 110 588
wait_for_log "Download  start: $SERVER_URL/fault/throttle=600000/package.7z" 30 ||
  fail "Continue did not start the download after Resume"
sleep 3

click_at "$wid" 374 24  # close
sleep 1
frozen_a=$(shot_of "$wid" asked-while-downloading)
veiled "$frozen_a" || fail "the close button did not ask"
sleep 4
frozen_b=$(shot_of "$wid" still-asking)
regions_differ "$frozen_a" "$frozen_b" "$wid" 50 552 300 9 && fail "the bar moved while asking"

# Exactly on the right edge of Cancel: no choice.
click_at "$wid" 335 383
sleep 1
edge=$(shot_of "$wid" edge-click)
veiled "$edge" || fail "a click on the edge of a choice closed the question"
kill -0 "$installer" || fail "a click on the edge of a choice ended the installer"

key_in_at 200 290 Escape
resumed=$(wait_unveiled resumed-download) || fail "Escape left the veil over the download"
sleep 3
moving=$(shot_of "$wid" moving-again)
regions_differ "$resumed" "$moving" "$wid" 50 552 300 9 || fail "the bar did not move after Resume"

temp=$WORK_DIR
[ -d "$temp" ] || fail "no Temp folder while downloading"
click_at "$wid" 374 24
sleep 1
key_in_at 200 290 Tab Tab space
wait_exit "$installer" 20 || fail "Cancel did not end the installer"
[ ! -e "$temp" ] || fail "Cancel left the Temp folder"
