#!/usr/bin/env bash
# The main job: builds the installer and runs a whole first installation under Wine, against
# a sample release (update_win.ini written by the release kit) served on 127.0.0.1, in a fresh
# Wine prefix of its own. Ends with a report of what the installer did; see --help.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

usage() {
  cat <<'EOF'
usage: scripts/demo.sh [--lang LOCALE] [--offline-at N] [--keep] [--self-drive] [--no-build]

Builds the installer, serves a sample release on 127.0.0.1 and runs LumetraSetup.exe under
Wine in a fresh prefix (build/demo/prefix) as on a machine without the product and without
its two prerequisites.

With $DISPLAY set the window appears there: tick the box, press Continue, and the script
waits until the installer ends. Without a display (or with --self-drive) it runs on a
private Xvfb display and clicks through by itself.

Either way it saves a picture of every stage the window passes and one contact sheet of
them (build/demo/run/), and ends with a report: the stages and their times, the requests
the server saw, the uninstall entry, the installed files, the shortcuts, the Run value, the
upgrader's command line and the install log. It exits 1 when the installation does not
complete, saying where it stopped.

  --lang LOCALE    the interface language, e.g. ja_JP.UTF-8 (as LC_ALL); the installer
                   speaks zh_CN, zh_TW, de, en, es, fr, it, ja, ko, nl, pt, ru
  --offline-at N   pull the network cable once N % (1..99) of the package has arrived,
                   and plug it back a few seconds later (the package is then made larger
                   and served at about 2 MB/s; needs root, for a network namespace)
  --keep           leave the Wine prefix and the release for inspection
  --self-drive     click through on a private Xvfb display even when $DISPLAY is set
  --no-build       run the builds as they are

Environment: LUMETRA_DEMO_DIR, the work folder (default build/demo); LUMETRA_DEMO_TEMPLATE,
a clean Wine prefix to copy instead of the one the demo makes once in its work folder.
EOF
}

lang='' offline_at='' keep=0 self_drive=0 no_build=0
while [ $# -gt 0 ]; do
  case $1 in
    --lang) lang=${2:?--lang needs a locale}; shift 2 ;;
    --lang=*) lang=${1#*=}; shift ;;
    --offline-at) offline_at=${2:?--offline-at needs a percentage}; shift 2 ;;
    --offline-at=*) offline_at=${1#*=}; shift ;;
    --keep) keep=1; shift ;;
    --self-drive) self_drive=1; shift ;;
    --no-build) no_build=1; shift ;;
    -h | --help) usage; exit 0 ;;
    *) echo "demo: unknown option $1 (see --help)" >&2; exit 64 ;;
  esac
done
if [ -n "$offline_at" ]; then
  [[ $offline_at =~ ^[0-9]+$ ]] && [ "$offline_at" -ge 1 ] && [ "$offline_at" -le 99 ] ||
    { echo "demo: --offline-at takes a percentage from 1 to 99" >&2; exit 64; }
  [ "$(id -u)" -eq 0 ] || { echo "demo: --offline-at needs root (a network namespace)" >&2; exit 64; }
fi

root=${LUMETRA_DEMO_DIR:-$source/build/demo}
run=$root/run
mkdir -p "$root"

# --- build: what the demo runs, nothing more ------------------------------------------
if [ "$no_build" -eq 0 ] && [ "$(id -u)" -eq 0 ]; then bash scripts/bootstrap.sh; fi
# Where the kernel cannot start 32-bit programs, Wine runs the 64-bit build instead; the
# 32-bit installer, the one we ship, is built either way.
win_preset=win
[ "$(tests/wine/wine-arch.sh)" = win64 ] && win_preset=win64
installer_build=$(tests/wine/wine-arch.sh --describe)
echo "demo: runs $installer_build"
build() { # PRESET TARGET...
  local preset=$1
  shift
  [ "$no_build" -eq 0 ] || return 0
  echo "demo: building $* ($preset)"
  { cmake --preset "$preset" && cmake --build --preset "$preset" --target "$@"; } >>"$root/build.log" 2>&1 ||
    { tail -n 30 "$root/build.log" >&2; echo "demo: the build failed (log: $root/build.log)" >&2; exit 1; }
}
: >"$root/build.log"
build native release_server lumetra-release
build win LumetraSetup LumetraSetupDemo
fixtures=(fixture_dotnet_setup_stub fixture_vc_setup_stub fixture_product_stub fixture_upgrader_stub)
if [ "$win_preset" = win64 ]; then build win64 LumetraSetupDemo "${fixtures[@]}"
else build win "${fixtures[@]}"; fi
win_build=$source/build/$win_preset
began=$EPOCHREALTIME

# --- this run's state -------------------------------------------------------------------
export LUMETRA_KEEP_DISPLAY=1
export WINEPREFIX=$root/prefix
source tests/wine/wine-env.sh "$root"
source tests/e2e/offline_net.sh
wineserver -k 2>/dev/null || true  # a prefix a previous run left behind (--keep)
rm -rf "$run" "$WINEPREFIX"
mkdir -p "$run/frames" "$run/stages"

xvfb_pid='' installer='' recorder='' NS_HOLDER='' NS=() failure='' cut=''
launched=$began recorded=$began
record=$WINEPREFIX/drive_c/Program\ Files/Lumetra/upgrader_started.txt
cleanup() {
  # The server writes the registry out as it ends: wait for that before removing the prefix.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  [ -n "$recorder" ] && kill "$recorder" 2>/dev/null || true
  [ -n "$installer" ] && kill "$installer" 2>/dev/null || true
  tools/release_server/stop-for-tests.sh "$run/release-server"
  [ -n "$NS_HOLDER" ] && kill "$NS_HOLDER" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if [ "$keep" -eq 0 ]; then rm -rf "$WINEPREFIX" "$run/release-server/release" "$run/frames"; fi
}
trap cleanup EXIT
trap 'echo "demo: FAILED: scripts/demo.sh line $LINENO: $BASH_COMMAND" >&2' ERR

drive=0
if [ -z "${DISPLAY:-}" ] || [ "$self_drive" -eq 1 ]; then
  drive=1
  exec 3>"$run/display.number"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$run/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 100); do [ -s "$run/display.number" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '\n' <"$run/display.number")"
  echo "demo: running on a private Xvfb display $DISPLAY and clicking through by itself"
fi

# A clean machine: a copy of a prefix made once (wineboot takes about 20 s).
template=${LUMETRA_DEMO_TEMPLATE:-$root/template}
if [ -z "${LUMETRA_DEMO_TEMPLATE:-}" ] &&
  [ "$(cat "$template/.made-for" 2>/dev/null)" != "$WINEARCH $(wine --version)" ]; then
  echo "demo: making the Wine prefix template $template (once)"
  tests/wine/make-template.sh "$template" >/dev/null
  echo "$WINEARCH $(wine --version)" >"$template/.made-for"
fi
cp -a "$template" "$WINEPREFIX"
rm -f "$WINEPREFIX"/wineserver* "$WINEPREFIX/.made-for"

# The installer and its servers run in a network namespace of their own when the cable is
# to be pulled.
inside=()
if [ -n "$offline_at" ]; then
  start_offline_namespace
  prepare_cable_pull
  inside=("${NS[@]}")
fi

# --- the release --------------------------------------------------------------------------
"${inside[@]}" tools/release_server/start-for-tests.sh build/native/tools/release_server "$run/release-server" >/dev/null
base_url=http://127.0.0.1:$(cat "$run/release-server/port")
release=$run/release-server/release
top=Lumetra_${SAMPLE_VERSION:-2.0.0.5}
package_url=$base_url/$top.7z
if [ -n "$offline_at" ]; then
  # Large enough and slow enough for the cut to land inside it: 3 MiB at about 2 MB/s.
  package_url=$base_url/fault/throttle=2000000/$top.7z
  export SAMPLE_PAD_MB=3
fi
SAMPLE_PACKAGE_URL=$package_url scripts/make-sample-release.sh "$release" "$base_url" "$win_build/fixtures" \
  >"$run/sample-release.out"
# The demo's installer is the installer built with the demo's own key (made once in the
# build folder): it acts only on a configuration signed with that key, as the
# publisher's installer does with the publisher's. sign first refreshes the [Release]
# section that such an installer requires (the clock's serial, 90 days of validity).
build/native/tools/lumetra-release sign "$release/update_win.ini" --key "$win_build/demo-key/release-key.pem" \
  >>"$run/sample-release.out"
package_bytes=$(stat -c %s "$release/$top.7z")

user_dir=$(echo "$WINEPREFIX"/drive_c/users/"$(whoami)")
downloads=$user_dir/Downloads
log=$user_dir/AppData/Roaming/Lumetra/Log/Install.log
folder_win='C:\Program Files\Lumetra'
folder=$WINEPREFIX/drive_c/Program\ Files/Lumetra
# A stalled transfer counts as a lost connection after the time-out: short when the cable
# is to be pulled, as in the offline tests.
timeout_ms=30000
[ -n "$offline_at" ] && timeout_ms=2000
printf '{\r\n  "ApplicationUpdate": "%s/update_win.ini",\r\n  "WebConnectTimeout": %s\r\n}\r\n' \
  "$base_url" "$timeout_ms" >"$downloads/TestServerForVexa.txt"
cp "$win_build/demo/LumetraSetupDemo.exe" "$downloads/LumetraSetup.exe"

# Records a frame of the window whenever the status line, the progress track (left of the
# busy animation, which would fill the disk), Browse, the folder row or the window buttons
# change (tests/e2e/stage_frames.c).
cc -O2 -o "$run/stage_frames" tests/e2e/stage_frames.c -lX11
probes=(30,460,340,72 100,556 340,607 20,595,360,20 360,10,30,30)

# --- the stages, from the recorded frames ----------------------------------------------
# One ImageMagick run over all frames; per frame, in window pixels: dark text and red text
# in the status line (which grows upwards from y 532), the progress track's left end (clear
# of the busy animation), Browse's grey, dark text of the folder row, the window buttons,
# the licence buttons' area, the busy animation, and a digest of the status line.
# Prints "FRAME TEXT RED BAR BROWSE ROW BUTTONS LOWER BUSY DIGEST" lines.
measure_frames() {
  local frames=("$run"/frames/frame-*.ppm)
  [ -e "${frames[0]}" ] || return 0
  # Counts stay on ImageMagick's thresholds: -fx takes seconds for a few frames.
  # NAME W H X Y PERCENT: pixels of the region whose red is at most PERCENT %.
  dark() {
    printf '%s\n' \( -clone 0--1 -crop "$2x$3+$4+$5" +repage -channel R -separate +channel \
      -threshold "$6%" -negate -format "$1 %s %[fx:round(mean*w*h)]\n" -write info:- -delete 0--1 \)
  }
  # NAME W H X Y CHANNEL ABOVE% CHANNEL AT_MOST%: pixels with the first channel above the
  # first level and the second at most the second. The regions of all frames are stacked
  # into one image for the two thresholds and cut apart again.
  band() {
    printf '%s\n' \( -clone 0--1 -crop "$2x$3+$4+$5" +repage -append \
      \( +clone -channel "$6" -separate +channel -threshold "$7%" \) \
      \( -clone 0 -channel "$8" -separate +channel -threshold "$9%" -negate \) -delete 0 \
      -compose multiply -composite -crop "$2x$3" +repage \
      -format "$1 %s %[fx:round(mean*w*h)]\n" -write info:- -delete 0--1 \)
  }
  local -a args
  mapfile -t args < <(
    dark text 340 72 30 460 50
    band red 340 72 30 460 R 70 G 40
    dark bar 100 9 50 552 95
    band browse 80 36 300 589 R 56 R 66
    dark row 360 20 20 595 70
    dark buttons 30 30 360 10 80
    dark lower 344 40 28 568 95
    dark busy 80 16 160 549 95)
  convert "${frames[@]}" "${args[@]}" \
    \( -clone 0--1 -crop 340x72+30+460 +repage -format 'digest %s %#\n' -write info:- -delete 0--1 \) \
    null: | awk '{ v[$2, $1] = $3; if ($2 + 1 > n) n = $2 + 1 }
      END { for (i = 0; i < n; i++)
        printf "%d %d %d %d %d %d %d %d %d %s\n", i, v[i, "text"], v[i, "red"], v[i, "bar"],
          v[i, "browse"], v[i, "row"], v[i, "buttons"], v[i, "lower"], v[i, "busy"], v[i, "digest"] }'
}

# The stage a frame shows, by the window's layout in that stage (src/ui/stage_table.cpp),
# and whether it is drawn whole: Wine repaints control by control, so some frames catch a
# stage half drawn, or half of one over the other. Prints "NAME WHOLE", nothing for a
# frame that fits no stage.
stage_of() { # TEXT RED BAR BROWSE ROW BUTTONS LOWER BUSY
  local text=$1 red=$2 bar=$3 browse=$4 row=$5 buttons=$6 lower=$7 busy=$8
  if [ "$red" -gt 20 ] && [ "$busy" -gt 0 ]; then echo "waiting-for-the-network $((buttons > 0))"
  elif [ "$red" -gt 20 ]; then echo "failed $((buttons > 0))"
  elif [ "$bar" -gt 200 ] && [ "$buttons" -gt 0 ]; then
    echo "downloading $((text > 30 && browse > 50))"
  elif [ "$bar" -gt 200 ] && [ "$row" -gt 100 ]; then echo "installing $((text > 30))"
  elif [ "$bar" -lt 5 ] && [ "$lower" -gt 200 ]; then echo "licence $((lower > 6000))"
  elif [ "$text" -gt 30 ] && [ "$busy" -gt 0 ]; then echo "checking $((buttons > 0))"
  elif [ "$text" -gt 30 ] && [ "$lower" -eq 0 ] && [ "$buttons" -eq 0 ]; then echo "complete 1"
  fi
}

# The stage changes the installer makes, and the stages the window can be found in (it
# stands in the licence stage until the box is ticked); a frame that would make another
# change is a repaint caught half way (the first frames, with "Checking for internet"
# drawn before the rest, look like "Installation complete").
stage_follows() { # FROM TO (FROM empty: the first stage seen)
  case "$1>$2" in
    # "Waiting" caught before its busy animation is drawn looks like a failure; a real one
    # comes from the next try, and so after that try's stage. A failure is final: a stage
    # after it shows that it was waiting (find_stages renames it).
    'waiting-for-the-network>failed') return 1 ;;
    'failed>'*) return 0 ;;
    '>checking' | '>waiting-for-the-network' | '>preparing' | '>licence' | *'>failed' | \
      'waiting-for-the-network>'* | 'checking>waiting-for-the-network' | \
      'checking>preparing' | 'checking>licence' | 'preparing>licence' | 'licence>downloading' | \
      'downloading>waiting-for-the-network' | 'downloading>installing' | \
      'installing>complete') return 0 ;;
  esac
  return 1
}

# Fills STAGES ("SECONDS|NAME|PICTURE" per stage, in order, seconds from the installer's
# start), saves a picture of each stage and makes the contact sheet of them.
STAGES=()
find_stages() {
  local frame text red bar browse row buttons lower busy digest name first_digest='' current='' ms
  local at picture number=0 offset whole held end_ms at_ms=() pictures=() best_whole=() best_held=()
  offset=$(awk -v a="$launched" -v b="$recorded" 'BEGIN { print b - a }')
  # When each frame was taken (ms from the recorder's start), and when recording ended.
  while read -r frame ms; do at_ms[10#$frame]=$ms; done < <(sed -n 's/^frame-\([0-9]*\)\.ppm at \([0-9]*\) ms$/\1 \2/p' "$run/frames.log")
  end_ms=$(sed -n 's/^end at \([0-9]*\) ms$/\1/p' "$run/frames.log")
  end_ms=${end_ms:-${at_ms[-1]:-0}}
  while read -r frame text red bar browse row buttons lower busy digest; do
    read -r name whole < <(stage_of "$text" "$red" "$bar" "$browse" "$row" "$buttons" "$lower" "$busy") ||
      continue
    if [ "$name" = checking ] && [ "$whole" -eq 1 ]; then
      # Checking the connection and preparing look alike but for the status text.
      first_digest=${first_digest:-$digest}
      [ "$digest" = "$first_digest" ] || name=preparing
    fi
    if [ "$name" != "$current" ]; then
      [ "$whole" -eq 1 ] && stage_follows "$current" "$name" || continue
      if [ "$current" = failed ]; then
        STAGES[-1]=${STAGES[-1]/|failed|/|waiting for the network|}
        STAGES[-1]=${STAGES[-1]/%-failed.png/-waiting-for-the-network.png}
        current=waiting-for-the-network
      fi
    fi
    if [ "$name" != "$current" ]; then
      number=$((number + 1))
      at=$(awk -v o="$offset" -v m="${at_ms[frame]:-0}" 'BEGIN { printf "%.1f", o + m / 1000 }')
      STAGES+=("$at|${name//-/ }|$run/stages/$(printf '%02d' "$number")-$name.png")
      current=$name
    fi
    # The stage's picture: the frame that stood longest, drawn whole if any was, for that
    # is what a person saw (some whole frames still carry text being redrawn).
    held=$(( ${at_ms[frame + 1]:-$end_ms} - ${at_ms[frame]:-0} ))
    if [ "$whole" -gt "${best_whole[number]:--1}" ] ||
      { [ "$whole" -eq "${best_whole[number]}" ] && [ "$held" -gt "${best_held[number]}" ]; }; then
      pictures[number]=$frame best_whole[number]=$whole best_held[number]=$held
    fi
  done < <(measure_frames)
  [ "${#STAGES[@]}" -gt 0 ] || return 0
  local label_font entry labels=()
  label_font=$(dpkg -L fonts-roboto-unhinted 2>/dev/null | grep -m1 '/Roboto-Regular\.ttf$' || true)
  number=0
  for entry in "${STAGES[@]}"; do
    IFS='|' read -r at name picture <<<"$entry"
    number=$((number + 1))
    convert "$(printf '%s/frames/frame-%03d.ppm' "$run" "${pictures[number]}")" "$picture"
    labels+=(-label "$name  ($at s)" "$picture")
  done
  montage ${label_font:+-font "$label_font"} -pointsize 16 "${labels[@]}" -tile 4x \
    -geometry 300x525+10+10 "$run/contact-sheet.png"
}

# --- the report -----------------------------------------------------------------------
section() { printf '\n%s\n' "$1"; }
indent() { sed -e 's/\r$//' -e 's/^/  /'; }
values() { sed -n -e 's/\r$//' -e 's/^    /  /p' | grep . ; } # the values of a reg query
report() {
  wineserver -k 2>/dev/null || true
  find_stages || true
  [ -f "$log" ] && cp "$log" "$run/Install.log"
  {
    echo "Lumetra demo: a first installation${lang:+ in $lang}${offline_at:+, network cut at $offline_at % of the package}"
    echo "Installer: $installer_build"
    if [ -n "$failure" ]; then
      local last_stage=none
      [ "${#STAGES[@]}" -gt 0 ] && last_stage=$(cut -d'|' -f2 <<<"${STAGES[-1]}")
      echo "FAILED: $failure"
      echo "  last stage seen: $last_stage; last log line: $(log_messages | tail -n1)"
    else
      echo "Installed; the upgrader started."
    fi
    section "Stages the window showed (seconds from the installer's start; pictures in $run/stages):"
    local entry at name picture
    for entry in "${STAGES[@]}"; do
      IFS='|' read -r at name picture <<<"$entry"
      printf '  %6s s  %-24s %s\n' "$at" "$name" "$(basename "$picture")"
    done
    if [ -z "$failure" ] && ! printf '%s\n' "${STAGES[@]}" | grep -q '|complete|'; then
      echo "  (\"Installation complete\" stood too briefly to be caught: the upgrader starts at once)"
    fi
    [ -f "$run/contact-sheet.png" ] && echo "  contact sheet: $run/contact-sheet.png"
    [ -n "$cut" ] && echo "  network: $cut"
    section "Requests the release server saw:"
    indent <"$run/release-server/requests.log" 2>/dev/null || true
    section "The configuration's signature (demo key $win_build/demo-key/release-key.pub.pem):"
    grep -aE "Server configuration (signature verified|refused)" "$log" 2>/dev/null | tr -d '\r' |
      sed 's/^[0-9-]*, [0-9:]* - /  /' || echo "  (no word of it in the install log)"
    if [ -n "$failure" ] && [ ! -s "$record" ]; then :; else
      # The registry, as Windows lists it: the 32-bit view, where the installer writes.
      wineserver -p </dev/null >/dev/null 2>&1 || true
      local uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra'
      section "Uninstall entry (wine reg query $uninstall /reg:32):"
      wine reg query "$uninstall" /reg:32 2>/dev/null | values || echo "  (none)"
      section "Installed files ($folder_win):"
      (cd "$folder" 2>/dev/null && find . -type f -printf '%P  (%s bytes)\n' | sort | indent) || echo "  (none)"
      if (cd "$folder" 2>/dev/null && md5sum --quiet -c "$release/package-files.md5" >/dev/null 2>&1); then
        echo "  every file of the package is there as released (MD5)"
      else
        echo "  NOT the package's files: $(cd "$folder" 2>/dev/null && md5sum --quiet -c "$release/package-files.md5" 2>&1 | head -n 3 | tr '\n' ' ')"
      fi
      section "Shortcuts:"
      local link
      for link in "$WINEPREFIX/drive_c/users/Public/Desktop/Lumetra.lnk" \
        "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lumetra.lnk"; do
        if [ -f "$link" ]; then
          echo "  $(winepath -w "$link" 2>/dev/null) -> $(LC_ALL=C grep -aoE '[A-Z]:\\[ -~]*\.exe' "$link" | head -n1)"
        else
          echo "  missing: $link"
        fi
      done
      section "Run value (HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run):"
      wine reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Lumetra 2>/dev/null |
        values || echo "  (none)"
      section "The upgrader's command line (it records it in $folder_win\\upgrader_started.txt):"
      if [ -s "$record" ]; then
        echo "  Upgrader.exe $(tr -d '\r' <"$record")"
        echo "  started in $(tr -d '\r' <"$folder/upgrader_folder.txt" 2>/dev/null)"
      else
        echo "  (not started)"
      fi
      wineserver -k 2>/dev/null || true
    fi
    section "Install log: $run/Install.log"
    [ "$keep" -eq 1 ] && echo "Wine prefix kept: $WINEPREFIX; release: $release"
    echo "The demo took $(since) s (the build not counted)."
  } | tee "$run/report.txt"
}

# --- the installation -----------------------------------------------------------------
log_messages() { [ -f "$log" ] && sed -e 's/\r$//' -e 's/^[0-9-]*, [0-9:]* - //' "$log" || true; }
log_has() { log_messages | grep -qxF -- "$1"; }
alive() { kill -0 "$installer" 2>/dev/null; }
since() { awk -v a="${1:-$began}" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }'; }
fail() { failure=$*; echo "demo: FAILED: $failure" >&2; report; exit 1; }

window_at() { # the installer's window: "LEFT TOP", from its X window id
  xdotool getwindowgeometry "$wid" | sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p'
}
click_at() { # X Y of the window
  local x y
  read -r x y < <(window_at)
  xdotool mousemove $((x + $1)) $((y + $2)) click 1
  sleep 0.3
}

echo "demo: starting LumetraSetup.exe${lang:+ in $lang}"
launched=$EPOCHREALTIME
if [ -n "$lang" ]; then
  LC_ALL=$lang "${inside[@]}" wine "$downloads/LumetraSetup.exe" >"$run/wine.out" 2>&1 &
else
  "${inside[@]}" wine "$downloads/LumetraSetup.exe" >"$run/wine.out" 2>&1 &
fi
installer=$!
# Wine names the window's class after the program, whatever the caption's language.
wid=''
for _ in $(seq 300); do
  wid=$(xdotool search --onlyvisible --classname '^lumetrasetup\.exe$' 2>/dev/null | head -n1 || true)
  [ -n "$wid" ] && break
  alive || break
  sleep 0.1
done
[ -n "$wid" ] || fail "no installer window appeared"
recorded=$EPOCHREALTIME
record_ms=$((drive ? 180000 : 3600000))
"$run/stage_frames" "$wid" "$run/frames" "$record_ms" "${probes[@]}" >"$run/frames.count" 2>"$run/frames.log" &
recorder=$!

if [ "$drive" -eq 1 ]; then
  for _ in $(seq 300); do log_has "Run this..." && break; alive || break; sleep 0.1; done
  log_has "Run this..." || fail "the licence stage was not reached"
  sleep 1
  click_at 48 518    # the box
  click_at 110 588   # Continue
else
  echo "demo: the installer is on $DISPLAY: tick the box and press Continue; waiting until it ends"
fi

# The cable is pulled once the package is that far, and plugged back after a few retries.
if [ -n "$offline_at" ]; then
  partial=$WINEPREFIX/drive_c/ProgramData/Lumetra/Temp/$top.7z
  cut_bytes=$((package_bytes * offline_at / 100))
  while alive && [ "$(stat -c %s "$partial" 2>/dev/null || echo 0)" -lt "$cut_bytes" ]; do sleep 0.05; done
  alive || fail "the installer ended before $offline_at % of the package had arrived"
  pull_cable
  arrived=$(stat -c %s "$partial")
  cut="cable pulled at $(since "$launched") s with $arrived of $package_bytes bytes of the package"
  cut+=" ($((arrived * 100 / package_bytes)) %)"
  for _ in $(seq 300); do log_has "Retry: 3" && break; sleep 0.1; done
  log_has "Retry: 3" || fail "no retries while offline (last log line: $(log_messages | tail -n1))"
  plug_cable
  cut+=", plugged back at $(since "$launched") s after $(log_messages | grep -c '^Retry: ') retries"
fi

# The end: the upgrader's record in the install folder, and the installer gone. Without a
# person, a log that stays silent for 20 s means it stopped.
last_size=-1 silent_since=$SECONDS
while alive; do
  size=$(stat -c %s "$log" 2>/dev/null || echo 0)
  if [ "$size" != "$last_size" ]; then last_size=$size silent_since=$SECONDS; fi
  [ "$drive" -eq 1 ] && [ $((SECONDS - silent_since)) -ge 20 ] && [ ! -s "$record" ] &&
    fail "the installer stopped making progress (its log silent for 20 s)"
  sleep 0.2
done
"${inside[@]}" wineserver -w
for _ in $(seq 50); do kill -0 "$recorder" 2>/dev/null || break; sleep 0.1; done
kill "$recorder" 2>/dev/null || true
wait "$recorder" 2>/dev/null || true
[ -s "$record" ] || fail "the installer ended without starting the upgrader"
report
