#!/usr/bin/env bash
# The licence stage in all twelve languages: each sentence with its three links stays inside
# the licence line (nothing drawn right of x 365), and one contact sheet of the twelve is
# kept under build/ for people to look at.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

start_release_server
publish_release

runs=0
for locale in en_US zh_CN zh_TW de_DE es_ES fr_FR it_IT ja_JP ko_KR nl_NL pt_BR ru_RU; do
  runs=$((runs + 1))
  E2E_LOCALE=$locale.UTF-8 start_wine "$DOWNLOADS/LumetraSetup.exe"
  installer=$E2E_LAST_PID
  for _ in $(seq 150); do [ "$(log_messages | grep -cxF "Run this...")" -ge "$runs" ] && break; sleep 0.2; done
  [ "$(log_messages | grep -cxF "Run this...")" -ge "$runs" ] || fail "$locale: no licence stage"
  sleep 1.5
  # The window opens at its usual place: 24 pixels inside the 1280 x 1024 screen's corner.
  shot=$(screenshot "licence-$locale")
  convert "$shot" -crop 400x160+856+800 +repage "$E2E_DIR/line-$locale.png"
  # Link blue or text grey right of the line's edge (x 366..399 of the window, y 505..566:
  # above the Cancel button).
  stray=$(convert "$shot" -crop 34x62+1222+805 +repage \
    -fx '((b>0.6&&r<0.3)||(r<0.6&&abs(r-g)<0.06&&abs(g-b)<0.06))?1:0' -format '%[fx:round(mean*w*h)]' info:)
  [ "$stray" -eq 0 ] || fail "$locale: $stray pixels of the sentence right of the licence line"
  # And the sentence is there at all: link pixels inside the line.
  links=$(convert "$shot" -crop 301x57+920+810 +repage -fx '(b>0.6&&r<0.3)?1:0' \
    -format '%[fx:round(mean*w*h)]' info:)
  [ "$links" -gt 30 ] || fail "$locale: no links drawn"
  wineserver -k 2>/dev/null || true
  wait_exit "$installer" 10 || true
done
# ImageMagick has no default font here: label the sheet with the product font.
label_font=$(dpkg -L fonts-roboto-unhinted | grep -m1 '/Roboto-Regular\.ttf$')
montage -font "$label_font" -label '%t' "$E2E_DIR"/line-*.png -tile 3x -geometry +6+6 \
  "$E2E_DIR/licence-contact-sheet.png"
