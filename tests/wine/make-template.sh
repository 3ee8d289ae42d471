#!/usr/bin/env bash
# Makes a clean Wine prefix to copy from (wineboot, about 20 s), in the environment of
# wine-env.sh, which the caller has sourced.
#   $1  the prefix folder (made afresh)
set -euo pipefail
template=${1:?usage: make-template.sh PREFIX_DIR}
rm -rf "$template"
start=$(date +%s)
WINEPREFIX=$template wineboot -i </dev/null >"$template.wineboot.log" 2>&1
WINEPREFIX=$template wineserver -w
# Desktop, Downloads... are links into $HOME: make them real folders of this prefix so
# that every copy of the template has its own.
for link in "$template"/drive_c/users/*/*; do
  if [ -L "$link" ]; then rm "$link"; mkdir -p "$link"; fi
done
cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$template/drive_c/windows/Fonts/" 2>/dev/null || true
echo "template prefix ready in $(( $(date +%s) - start )) s"
