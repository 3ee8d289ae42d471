#!/usr/bin/env bash
# Renders the committed pictures from their vector sources (needs rsvg-convert and
# ImageMagick). Run it after changing an SVG here, and commit what it writes: the icon
# res/lumetra.ico and the pictures res/png/<resource id>.png listed in res/images.rc.
# Neither rsvg-convert nor convert -strip writes a time stamp, so the same sources give the
# same bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
png=$here/../png
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" "$here/icon.svg" -o "$out/icon_$size.png"
done
convert "$out"/icon_{16,24,32,48,64,256}.png "$here/../lumetra.ico"

mkdir -p "$png"
rm -f "$png"/*.png
# render ID SOURCE [CSS]: the CSS, if given, restyles the source (state colours, greyscale).
render() {
  local css=()
  if [ $# -gt 2 ]; then
    printf '%s\n' "$3" >"$out/style.css"
    css=(-s "$out/style.css")
  fi
  rsvg-convert "${css[@]}" "$here/$2.svg" -o "$out/r.png"
  rgba "$1"
}
# rsvg-convert writes an opaque picture without alpha; the installer blends every picture,
# so all are stored as 8-bit RGBA.
rgba() { convert "$out/r.png" -strip "PNG32:$png/$1.png"; }
ink() { echo "svg { color: $1 }"; }  # the glyphs draw in currentColor

render 154 folder
render 155 folder_large
render 157 close "$(ink '#4a4a4a')"
render 158 close "$(ink '#0078d6')"
render 159 close
render 227 close "$(ink '#d8d8d8')"
render 160 minimize "$(ink '#4a4a4a')"
render 161 minimize "$(ink '#0078d6')"
render 162 minimize
render 229 minimize "$(ink '#d8d8d8')"
render 168 tick
render 228 tick "$(ink '#0078d6')"
render 163 check_ticked
render 165 check_unticked
render 222 check_unticked_focus
render 225 check_ticked_focus
render 209 cancel_face
render 230 cancel_face_focus
render 232 cancel_outline
render 210 filled_disabled
render 211 filled_enabled
render 231 filled_focus
render 218 illustration
render 217 illustration '#art { filter: grayscale(1) }'
render 221 os_unsupported

# Busy animation, frames 1..34 as ids 169..202: five dots with a pulse running left to
# right. The pulse's period is the 34 frames, so the last frame leads into the first by the
# same step as any other. Brightness b of dot i in frame n is
# ((1 + cos(2 pi ((n-1)/34 - i/5))) / 2)^2 (squared to narrow the pulse to about one dot);
# a dot's radius is 2.5 + 3 b and its opacity 0.25 + 0.75 min(1, b/0.8). The dot nearest
# the crest is at most 1/10 of a period from it (b >= 0.81), so it is opaque in every frame.
for n in $(seq 1 34); do
  awk -v n="$n" 'BEGIN {
    for (i = 0; i < 5; i++) {
      b = ((1 + cos(2 * 3.14159265358979 * ((n - 1) / 34 - i / 5))) / 2) ^ 2
      a = b / 0.8 < 1 ? 0.25 + 0.75 * b / 0.8 : 1
      printf "s/@R%d@/%.3f/; s/@A%d@/%.3f/;\n", i, 2.5 + 3 * b, i, a
    }
  }' >"$out/busy.sed"
  sed -f "$out/busy.sed" "$here/busy.svg" >"$out/busy_$n.svg"
  rsvg-convert "$out/busy_$n.svg" -o "$out/r.png"
  rgba $((168 + n))
done

# Every picture must have its expected size and an alpha channel: the installer draws
# them at fixed places and blends them onto the window.
expect() {
  local got
  got=$(identify -format '%w %h %[channels]' "$png/$1.png")
  case "$got" in
    "$2 $3 srgba" | "$2 $3 rgba") ;;
    *) echo "render.sh: $1.png is '$got', expected $2 x $3 with alpha" >&2; exit 1 ;;
  esac
}
expect 154 26 23; expect 155 43 39
for id in 157 158 159 227; do expect $id 12 12; done
for id in 160 161 162 229; do expect $id 15 2; done
expect 163 16 16; expect 165 16 16; expect 222 18 18; expect 225 18 18
expect 168 14 11; expect 228 14 11
for id in $(seq 169 202); do expect "$id" 80 16; done
expect 209 165 41; expect 230 164 40; expect 232 168 44
expect 210 132 40; expect 211 164 40; expect 231 164 40
expect 217 188 251; expect 218 188 251; expect 221 400 420
count=$(find "$png" -name '*.png' | wc -l)
[ "$count" -eq 59 ] || { echo "render.sh: $count pictures in res/png, expected 59" >&2; exit 1; }
