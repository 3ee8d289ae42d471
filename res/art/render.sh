#!/usr/bin/env bash
# Renders the committed pictures from their vector sources (needs rsvg-convert and
# ImageMagick). Run it after changing an SVG here, and commit what it writes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" "$here/icon.svg" -o "$out/icon_$size.png"
done
convert "$out"/icon_{16,24,32,48,64,256}.png "$here/../lumetra.ico"
