# Sourced by the end-to-end tests: each test gets a clean copy of the run's template
# prefix, a private Xvfb display, and helpers to drive the installer as a person would.
set -euo pipefail

E2E_NAME=$(basename "$0" .sh)
: "${LUMETRA_TEST_ROOT:?run through ctest}"
E2E_DIR=$LUMETRA_TEST_ROOT/e2e/$E2E_NAME
rm -rf "$E2E_DIR"
mkdir -p "$E2E_DIR"

export WINEPREFIX=$E2E_DIR/prefix
source "$LUMETRA_SOURCE_DIR/tests/wine/wine-env.sh" "$LUMETRA_TEST_ROOT"
cp -a "$LUMETRA_TEST_ROOT/template" "$WINEPREFIX"
rm -f "$WINEPREFIX"/wineserver* 2>/dev/null || true

E2E_PIDS=()
E2E_XVFB_PID=
E2E_CLEANUP=()  # commands run at the end, whatever happened
e2e_cleanup() {
  local status=$? command
  wineserver -k 2>/dev/null || true
  for command in "${E2E_CLEANUP[@]}"; do eval "$command" || true; done
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "$E2E_XVFB_PID" ] && kill "$E2E_XVFB_PID" 2>/dev/null || true
  if [ "$status" -eq 0 ]; then echo "PASS $E2E_NAME"; else echo "FAIL $E2E_NAME (files in $E2E_DIR)"; fi
}
trap e2e_cleanup EXIT

exec 3>"$E2E_DIR/display.number"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$E2E_DIR/xvfb.log" 2>&1 &
E2E_XVFB_PID=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$E2E_DIR/display.number" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '\n' <"$E2E_DIR/display.number")"

WIN_USER=$(whoami)
USER_DIR=$WINEPREFIX/drive_c/users/$WIN_USER
DOWNLOADS=$USER_DIR/Downloads
DOWNLOADS_WIN="C:\\users\\$WIN_USER\\Downloads"
INSTALL_LOG=$USER_DIR/AppData/Roaming/Lumetra/Log/Install.log
# The installer's working folder (downloads, unpacked package, carried programs): per
# machine, made so that only SYSTEM and Administrators may change it.
WORK_DIR=$WINEPREFIX/drive_c/ProgramData/Lumetra/Temp
WORK_DIR_WIN='C:\ProgramData\Lumetra\Temp'
CAPTION="Lumetra Installer"

fail() { echo "FAILED: $*" >&2; exit 1; }

# Starts a Windows program of this prefix in the background; its pid is in E2E_LAST_PID.
# With E2E_LOCALE set, the program runs in that interface language (LC_ALL).
start_wine() {
  if [ -n "${E2E_LOCALE:-}" ]; then LC_ALL=$E2E_LOCALE wine "$@" >>"$E2E_DIR/wine.out" 2>&1 &
  else wine "$@" >>"$E2E_DIR/wine.out" 2>&1 &
  fi
  E2E_LAST_PID=$!
  E2E_PIDS+=("$E2E_LAST_PID")
}

# wait_exit PID SECONDS: true when the process ended in time.
wait_exit() {
  local pid=$1 deadline=$((SECONDS + $2))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.1
  done
  return 0
}

# find_window NAME SECONDS: prints the X window id of the visible window with that title.
find_window() { search_window "$2" --name "^$1\$"; }

# search_window SECONDS XDOTOOL_SEARCH_ARGS...: the first visible window xdotool finds so,
# within that time.
search_window() {
  local deadline=$((SECONDS + $1)) id
  shift
  while [ "$SECONDS" -lt "$deadline" ]; do
    id=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  return 1
}

count_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }

# window_origin WID: "LEFT TOP"; window_size WID: "WIDTHxHEIGHT".
window_origin() {
  local origin
  origin=$(xdotool getwindowgeometry "$1" 2>/dev/null |
    sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p')
  [ -n "$origin" ] || fail "window $1 is gone"
  echo "$origin"
}
window_size() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: \([0-9x]*\).*/\1/p'; }

# Keys reach only the window under the pointer when no window manager runs.
press_key_in() {
  local wid=$1 key=$2 x y
  read -r x y < <(window_origin "$wid")
  xdotool mousemove $((x + 200)) $((y + 350))
  sleep 0.2
  xdotool key "$key"
}

screenshot() { import -window root "$E2E_DIR/$1.png"; echo "$E2E_DIR/$1.png"; }
# pixel_at PNG X Y: "R,G,B" in 0..255.
pixel_at() { convert "$1" -crop "1x1+$2+$3" -format '%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]' info:; }

# The log's messages, without the time stamps, CR LF turned into LF.
log_messages() { [ -f "$INSTALL_LOG" ] && sed -e 's/\r$//' -e 's/^[0-9-]*, [0-9:]* - //' "$INSTALL_LOG" || true; }

# wait_for_log TEXT SECONDS: the exact message line appears in the log.
wait_for_log() {
  local deadline=$(($SECONDS + $2))
  while [ "$SECONDS" -lt "$deadline" ]; do
    log_messages | grep -qxF -- "$1" && return 0
    sleep 0.2
  done
  return 1
}

# expect_log_order LINE...: these exact messages occur in the log in this order.
expect_log_order() {
  local messages expected position=0 found
  messages=$(log_messages)
  for expected in "$@"; do
    found=$(printf '%s\n' "$messages" | tail -n +$((position + 1)) | grep -nxF -- "$expected" | head -n1 | cut -d: -f1)
    [ -n "$found" ] || fail "log line missing or out of order: $expected"
    position=$((position + found))
  done
}

# leave_installer WID: what a person does to leave: Escape, then Cancel in the question
# (Tab, Tab, Space).
leave_installer() {
  press_key_in "$1" Escape
  sleep 1.5
  press_key_in "$1" Tab
  press_key_in "$1" Tab
  press_key_in "$1" space
}

# Copies the installer under test into the Downloads folder as NAME (default LumetraSetup.exe).
place_installer() { cp "$LUMETRA_EXE" "$DOWNLOADS/${1:-LumetraSetup.exe}"; }

# make_offline_namespace: a network namespace of the test's own (offline_net.sh: NS, and
# prepare_cable_pull, pull_cable and plug_cable), ended with the test.
source "$LUMETRA_SOURCE_DIR/tests/e2e/offline_net.sh"
make_offline_namespace() {
  start_offline_namespace
  E2E_PIDS+=("$NS_HOLDER")
}

# start_release_server [PREFIX COMMAND...]: a release server of this test (inside a
# network namespace when a prefix command such as "nsenter -t PID -n" is given).
# Sets SERVER_STATE (files to serve go into $SERVER_STATE/release) and SERVER_URL.
start_release_server() {
  SERVER_STATE=$E2E_DIR/release-server
  "$@" "$LUMETRA_SOURCE_DIR/tools/release_server/start-for-tests.sh" \
    "$LUMETRA_NATIVE_BUILD_DIR/tools/release_server" "$SERVER_STATE" >/dev/null
  E2E_CLEANUP+=("$LUMETRA_SOURCE_DIR/tools/release_server/stop-for-tests.sh '$SERVER_STATE'")
  SERVER_URL="http://127.0.0.1:$(cat "$SERVER_STATE/port")"
}

# write_override URL TIMEOUT_MS: points the installer at a test server.
write_override() {
  printf '{\r\n  "ApplicationUpdate": "%s",\r\n  "WebConnectTimeout": %s\r\n}\r\n' "$1" "$2" \
    >"$DOWNLOADS/TestServerForVexa.txt"
}

md5_of() { md5sum "$1" | cut -d' ' -f1; }
size_of() { stat -c %s "$1"; }

# publish_package NAME BYTES: a file of random bytes in the release folder.
publish_package() { head -c "$2" /dev/urandom >"$SERVER_STATE/release/$1"; }

# ini_package_section NAME SECTION VERSION: an INI section describing a released file.
ini_package_section() {
  local file=$SERVER_STATE/release/$1
  printf '[%s]\r\nURL=%s/%s\r\nVersion=%s\r\nMD5=%s\r\nBytes=%s\r\nOSSupport=all\r\n' \
    "$2" "$SERVER_URL" "$1" "$3" "$(md5_of "$file")" "$(size_of "$file")"
}

# publish_release [PATH]: a release whose one item to fetch is package.7z (4 KiB unless a
# test published its own), served at PATH (default package.7z; e.g. fault/stall=0/package.7z),
# no prerequisite needed; the installer is placed in Downloads and pointed at the server.
publish_release() {
  local path=${1:-package.7z}
  [ -f "$SERVER_STATE/release/package.7z" ] || publish_package package.7z 4096
  {
    printf '[Windows_Application]\r\nLatestVersion_10.0=App10\r\n'
    ini_package_section package.7z App10 2.0.0.5 | sed "s#^URL=.*#URL=$SERVER_URL/$path#"
    printf '[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n'
  } >"$SERVER_STATE/release/update_win.ini"
  write_override "$SERVER_URL/update_win.ini" 60000
  place_installer
}

# reg_add KEY NAME VALUE: a REG_SZ value in the 32-bit view of this prefix's registry (where
# the installer keeps its entries).
reg_add() { wine reg add "$1" /v "$2" /d "$3" /f /reg:32 >/dev/null 2>&1; }

# install_product_stub WINDOWS_FOLDER: the recording stand-in as Lumetra.exe there;
# prints the Linux path of the file it records its command lines in.
install_product_stub() {
  local folder
  folder=$(winepath -u "$1" 2>/dev/null)
  mkdir -p "$folder"
  cp "$LUMETRA_BUILD_DIR/fixtures/product_stub.exe" "$folder/Lumetra.exe"
  echo "$folder/started.txt"
}

# --- the main window, as a person sees it ------------------------------------------
# Points are given in the window's own pixels (it has no border: client = window).

# click_at WID X Y: a left click at that point of the window.
click_at() {
  local x y
  read -r x y < <(window_origin "$1")
  xdotool mousemove $((x + $2)) $((y + $3)) click 1
  sleep 0.3
}

# key_in WID KEY...: keys for the window (the pointer rests on a free spot of it, since
# without a window manager keys go to the window under the pointer).
key_in() {
  local wid=$1 x y key
  shift
  read -r x y < <(window_origin "$wid")
  xdotool mousemove $((x + 200)) $((y + 60))
  sleep 0.2
  for key in "$@"; do xdotool key "$key"; sleep 0.25; done
}

# shot_of WID NAME: a screenshot of the screen; prints its path. Window points are then
# read with window_pixel.
shot_of() { screenshot "$2"; }
# window_pixel PNG WID X Y: "R,G,B" of a window point in a screenshot.
window_pixel() {
  local x y
  read -r x y < <(window_origin "$2")
  pixel_at "$1" $((x + $3)) $((y + $4))
}

# count_in PNG WID X Y W H FX: how many pixels of that window region satisfy an ImageMagick
# fx condition on r, g, b (0..1), e.g. 'r>0.8&&g<0.3&&b<0.3' for red.
count_in() {
  local x y
  read -r x y < <(window_origin "$2")
  convert "$1" -crop "${5}x${6}+$((x + $3))+$((y + $4))" +repage -fx "($7)?1:0" \
    -format '%[fx:round(mean*w*h)]' info:
}

# regions_differ PNG_A PNG_B WID X Y W H: true when the window region differs between shots.
regions_differ() {
  local x y a b
  read -r x y < <(window_origin "$3")
  a=$(convert "$1" -crop "${6}x${7}+$((x + $4))+$((y + $5))" +repage rgb:- | md5sum)
  b=$(convert "$2" -crop "${6}x${7}+$((x + $4))+$((y + $5))" +repage rgb:- | md5sum)
  [ "$a" != "$b" ]
}

# Keeps a test's screenshots under build/ for people to look at.
keep_screenshots() {
  local kept=$LUMETRA_BUILD_DIR/screenshots/$E2E_NAME
  rm -rf "$kept" && mkdir -p "$kept"
  cp "$E2E_DIR"/*.png "$kept/" 2>/dev/null || true
}

# --- installation -------------------------------------------------------------------

# publish_sample_release [URL_OF_PACKAGE]: the sample release (scripts/make-sample-release.sh,
# its settings come from the environment) in this test's release folder; the package's URL
# in update_win.ini can be another, e.g. one with a fault prefix. Sets SAMPLE_TOP (the
# package's top folder), SAMPLE_PACKAGE (its file name) and SAMPLE_MANIFEST (package-files.md5).
publish_sample_release() {
  local release=$SERVER_STATE/release
  SAMPLE_PACKAGE_URL=${1:-} "$LUMETRA_SOURCE_DIR/scripts/make-sample-release.sh" "$release" \
    "$SERVER_URL" "$LUMETRA_BUILD_DIR/fixtures" >"$E2E_DIR/sample-release.out"
  SAMPLE_TOP=Lumetra_${SAMPLE_VERSION:-2.0.0.5}
  SAMPLE_PACKAGE=$SAMPLE_TOP.7z
  SAMPLE_MANIFEST=$release/package-files.md5
  if [ -n "${1:-}" ]; then
    grep -qxF "URL=$1"$'\r' "$release/update_win.ini" || fail "package URL not replaced"
  fi
}

# expect_files_of_package FOLDER MANIFEST [EXTRA...]: FOLDER holds exactly the files the
# manifest lists (relative paths, md5sum format) with their digests, besides the EXTRA
# files named (relative paths).
expect_files_of_package() {
  local folder=$1 manifest=$2 expected found
  shift 2
  [ -d "$folder" ] || fail "no folder $folder"
  (cd "$folder" && md5sum --quiet -c "$manifest" >"$E2E_DIR/md5-check.out" 2>&1) ||
    fail "installed files differ from the package: $(head -n 3 "$E2E_DIR/md5-check.out")"
  expected=$( { sed 's/^[0-9a-f]*  //' "$manifest"; printf '%s\n' "$@"; } | sort)
  found=$(cd "$folder" && find . -type f | sed 's|^\./||' | sort)
  [ "$expected" = "$found" ] ||
    fail "files in $folder are not the package's: $(diff <(echo "$expected") <(echo "$found") | grep '^[<>]' | head -n 5 | tr '\n' ' ')"
}

# record_stages WID X,Y...: from now on, a frame of the window is saved whenever one of
# these window points changes colour (tests/e2e/stage_frames.c), until the window closes;
# frames go to $E2E_DIR/frames/frame-NNN.ppm. stop_recording_stages waits for the end.
record_stages() {
  local wid=$1
  shift
  cc -O2 -o "$E2E_DIR/stage_frames" "$LUMETRA_SOURCE_DIR/tests/e2e/stage_frames.c" -lX11 ||
    fail "cannot build the frame recorder"
  mkdir -p "$E2E_DIR/frames"
  "$E2E_DIR/stage_frames" "$wid" "$E2E_DIR/frames" 300000 "$@" >"$E2E_DIR/frames.count" 2>"$E2E_DIR/frames.log" &
  STAGE_FRAMES_PID=$!
  E2E_PIDS+=("$STAGE_FRAMES_PID")
}
stop_recording_stages() {
  wait_exit "$STAGE_FRAMES_PID" "${1:-10}" || kill "$STAGE_FRAMES_PID" 2>/dev/null || true
  wait "$STAGE_FRAMES_PID" 2>/dev/null || true
}
# frame_pixel PPM X Y: "R,G,B" of a window point in a recorded frame.
frame_pixel() { pixel_at "$1" "$2" "$3"; }
# frame_count_in PPM X Y W H FX: as count_in, for a recorded frame (window coordinates).
frame_count_in() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fx "($6)?1:0" \
    -format '%[fx:round(mean*w*h)]' info:
}

# --- the unattended form, as a deployment tool runs it --------------------------------
# run_unattended SWITCH...: runs the installer in Downloads with these switches through a
# Windows caller (the exit code of wine keeps only the low byte), and waits for it. Sets
# UNATTENDED_CODE to the exit code the caller read and UNATTENDED_WINDOWS to the titles of
# every visible window seen while it ran (polled every 0.2 s). Runs with a UTF-8 locale, so
# that switches with non-Latin letters reach the installer unchanged. Prefix the call with
# a runner (RUNNER=(...)), e.g. a network namespace.
run_unattended() {
  local result=$E2E_DIR/exit-code.txt result_win caller shown deadline=$((SECONDS + 240))
  rm -f "$result"
  # The result's Windows path from inside the runner too: the first Wine program of a
  # prefix starts its services, which must see the same network as the installer.
  result_win=$("${RUNNER[@]}" winepath -w "$result")
  LC_ALL=C.UTF-8 "${RUNNER[@]}" wine "$LUMETRA_BUILD_DIR/fixtures/exit_code_of.exe" \
    "$result_win" "$DOWNLOADS_WIN\\LumetraSetup.exe" "$@" >>"$E2E_DIR/wine.out" 2>&1 &
  caller=$!
  E2E_PIDS+=("$caller")
  UNATTENDED_WINDOWS=
  while kill -0 "$caller" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || fail "the unattended run did not end: $(log_messages | tail -n1)"
    for shown in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
      UNATTENDED_WINDOWS+="$(xdotool getwindowname "$shown" 2>/dev/null);"
    done
    sleep 0.2
  done
  UNATTENDED_CODE=$(tr -d '\r\n' <"$result" 2>/dev/null || echo "none")
}
RUNNER=()
