#!/usr/bin/env bash
# Benchmark (not a test): a first installation of a 100 MiB package, timed from the press
# on Continue to the upgrader's start, against the same work done by hand in the same run:
# curl of the three files from the same release server, md5sum of them, the installer's own
# 7za.exe under Wine over both installers and the package, both prerequisite stand-ins run
# under Wine with "/q /norestart", the registry values written in one `regedit /S` import,
# the two shortcuts made by a small program of the benchmark's own (bench/make_shortcuts.exe),
# cp -r of the unpacked folder, and the upgrader stand-in started under Wine until it has
# written its record. Runs alternate (by hand, installer, by hand, ...) so drift of the
# machine hits both alike; every run, by hand or not, gets a fresh copy of a prefix without
# either prerequisite. Each installer run also leaves build/bench-install/timeline-N.txt: its
# log lines with the time they arrived, from the press on Continue to the upgrader's record.
# With OTHER_EXE (an earlier build, say), each run also times that installer the same way,
# for a before/after pair measured under the same conditions.
#   scripts/bench-install.sh [RUNS] [PAD_MB] [OTHER_EXE]   (default 3 and 100; needs both builds)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
pad_mb=${2:-100}
other_exe=${3:-}
[ -z "$other_exe" ] || [ -f "$other_exe" ] || { echo "no such installer: $other_exe" >&2; exit 1; }
# An emulated 32-bit processor would time the emulator: the 64-bit build is timed there.
arch=$(tests/wine/wine-arch.sh --for-timing)
export LUMETRA_WINE_ARCH=$arch
if [ "$arch" = win64 ]; then build=$PWD/build/win64; else build=$PWD/build/win; fi
native=$PWD/build/native
[ -f "$build/LumetraSetup.exe" ] && [ -x "$native/tools/release_server" ] ||
  { echo "build $build and $native first (scripts/test.sh)" >&2; exit 1; }
seven_zip=$(sed -n 's/^#define LUMETRA_7ZA_FILE "\(.*\)"$/\1/p' "$build/generated/carried_file_paths.h")
[ -f "$seven_zip" ] || { echo "no carried 7za.exe ($seven_zip)" >&2; exit 1; }

work=$PWD/build/bench-install
root=$work/root
rm -rf "$work" && mkdir -p "$work"
cleanup() {
  tools/release_server/stop-for-tests.sh "$work/server" >/dev/null 2>&1 || true
  [ -d "$root/run-prefix" ] && WINEPREFIX=$root/run-prefix wineserver -k 2>/dev/null || true
  tests/wine/stop-prefix.sh "$root" >/dev/null 2>&1 || true
  [ -d "$root/manual-prefix" ] && WINEPREFIX=$root/manual-prefix wineserver -k 2>/dev/null || true
  rm -rf "$root" "$work/manual"
}
trap cleanup EXIT

# A template prefix (every run starts from a copy of it) and a display.
tests/wine/make-prefix.sh "$root" >"$work/prefix.log" 2>&1
source tests/wine/wine-env.sh "$root"
tools/release_server/start-for-tests.sh "$native/tools/release_server" "$work/server" >/dev/null
url="http://127.0.0.1:$(cat "$work/server/port")"
release=$work/server/release
SAMPLE_PAD_MB=$pad_mb scripts/make-sample-release.sh "$release" "$url" "$build/fixtures" >/dev/null
top=Lumetra_${SAMPLE_VERSION:-2.0.0.5}
files=(ndp48-web.exe vc_redist.x86.exe "$top.7z")
package_bytes=$(stat -c %s "$release/$top.7z")

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

# By hand: the same files, checks, extractor passes, prerequisites, registry values,
# shortcuts, copy and upgrader start, each step timed, in a fresh prefix of its own.
manual_run() {
  local dir=$work/manual prefix=$root/manual-prefix t=() file folder_win reg
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$dir" "$prefix" && mkdir -p "$dir/download" "$dir/unpacked"
  cp -a "$root/template" "$prefix" && rm -f "$prefix"/wineserver*
  export WINEPREFIX=$prefix
  local installed="$prefix/drive_c/Program Files/Lumetra"
  folder_win='C:\Program Files\Lumetra'
  reg=$dir/values.reg
  { printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumetra]\r\n'
    for pair in "DisplayName=Lumetra" "InstallLocation=${folder_win//\\/\\\\}" "Publisher=Corvane" \
      "From=Corvane" "HelpLink=http://www.corvane.example" "DisplayVersion=2.0.0.5" \
      "UninstallString=\\\"${folder_win//\\/\\\\}\\\\uninstaller.exe\\\"" \
      "DisplayIcon=\\\"${folder_win//\\/\\\\}\\\\uninstaller.exe\\\"" "InstallDate=$(date +%Y%m%d)"; do
      printf '"%s"="%s"\r\n' "${pair%%=*}" "${pair#*=}"
    done
    printf '"NoModify"=dword:00000001\r\n"NoRepair"=dword:00000001\r\n"EstimatedSize"=dword:00019000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n'
    printf '"Lumetra"="\\"%s\\\\Lumetra.exe\\" /WinStart"\r\n' "${folder_win//\\/\\\\}"
  } >"$reg"
  wineserver -p
  wine cmd /c exit 0  # the prefix's first start, which the installer's run has behind it too
  sync
  t+=("$(now)")
  for file in "${files[@]}"; do curl -s -f -o "$dir/download/$file" "$url/$file"; done
  t+=("$(now)")
  (cd "$dir/download" && md5sum "${files[@]}" >/dev/null)
  t+=("$(now)")
  cp "$seven_zip" "$dir/unpacked/7za.exe"
  for file in "${files[@]}"; do
    (cd "$dir/unpacked" && wine ./7za.exe x "$(winepath -w "$dir/download/$file")" -aoa >/dev/null 2>&1) || true
  done
  t+=("$(now)")
  wine "$dir/download/ndp48-web.exe" /q /norestart
  wine "$dir/download/vc_redist.x86.exe" /q /norestart
  t+=("$(now)")
  mkdir -p "$installed"
  cp -r "$dir/unpacked/$top/." "$installed/"
  t+=("$(now)")
  wine regedit /S "$(winepath -w "$reg")"
  t+=("$(now)")
  wine "$build/bench/make_shortcuts.exe" "$folder_win\\Lumetra.exe" \
    'C:\users\Public\Desktop\Lumetra.lnk' \
    'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Lumetra.lnk'
  t+=("$(now)")
  (cd "$installed" && wine ./Upgrader.exe 300 856 '"01/01/2027 00:00:00"' Corvane) &
  while [ ! -s "$installed/upgrader_started.txt" ]; do sleep 0.01; done
  t+=("$(now)")
  wait
  cmp -s "$installed/resources/padding.bin" "$dir/unpacked/$top/resources/padding.bin" ||
    { echo "manual copy is wrong" >&2; exit 1; }
  wineserver -k  # writes the registry out
  [ -f "$prefix/drive_c/users/Public/Desktop/Lumetra.lnk" ] &&
    [ -f "$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Lumetra.lnk" ] &&
    grep -q 'WinStart' "$prefix/user.reg" && grep -q 'EstimatedSize' "$prefix/system.reg" ||
    { echo "manual shortcuts or registry values missing" >&2; exit 1; }
  unset WINEPREFIX
  local i out=""
  for i in $(seq 1 $((${#t[@]} - 1))); do out+="$(elapsed "${t[i - 1]}" "${t[i]}") "; done
  echo "$out$(elapsed "${t[0]}" "${t[-1]}")"
}

# The installer: fresh prefix, licence box ticked, timed from the click on Continue until
# the upgrader has written its record in the install folder.
installer_run() {
  local exe=${2:-$build/LumetraSetup.exe} prefix=$root/run-prefix user downloads record started t0 t1 wid x y
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$prefix" && cp -a "$root/template" "$prefix" && rm -f "$prefix"/wineserver*
  user=$(whoami)
  downloads=$prefix/drive_c/users/$user/Downloads
  printf '{\r\n  "ApplicationUpdate": "%s",\r\n  "WebConnectTimeout": 30000\r\n}\r\n' \
    "$url/update_win.ini" >"$downloads/TestServerForVexa.txt"
  cp "$exe" "$downloads/LumetraSetup.exe"
  record="$prefix/drive_c/Program Files/Lumetra/upgrader_started.txt"
  local log=$prefix/drive_c/users/$user/AppData/Roaming/Lumetra/Log/Install.log
  WINEPREFIX=$prefix wine "$downloads/LumetraSetup.exe" >"$work/installer.out" 2>&1 &
  started=$!
  for _ in $(seq 300); do grep -q ' - Run this\.\.\.' "$log" 2>/dev/null && break; sleep 0.1; done
  wid=$(xdotool search --onlyvisible --name '^Lumetra Installer$' | head -n1)
  [ -n "$wid" ] || { echo "no installer window" >&2; exit 1; }
  sleep 1
  read -r x y < <(xdotool getwindowgeometry "$wid" | sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p')
  xdotool mousemove $((x + 48)) $((y + 518)) click 1
  sleep 0.5
  xdotool mousemove $((x + 110)) $((y + 588))
  sync
  # The log's lines with the time they arrived, for seeing where the time goes.
  local timeline=$work/timeline-$1.txt
  t0=$(now)
  echo "$t0 (Continue pressed)" >"$timeline"
  tail -n 0 -F --pid="$started" -s 0.05 "$log" 2>/dev/null | while IFS= read -r line; do
    echo "$EPOCHREALTIME ${line#*- }"; done >>"$timeline" &
  local follower=$!
  xdotool click 1
  while [ ! -s "$record" ]; do
    kill -0 "$started" 2>/dev/null || [ -s "$record" ] ||
      { echo "installer ended without starting the upgrader" >&2; tail -n 5 "$log" >&2; exit 1; }
    sleep 0.01
  done
  t1=$(now)
  echo "$t1 (upgrader record written)" >>"$timeline"
  wait "$started" || true
  wait "$follower" 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w
  (cd "$prefix/drive_c/Program Files/Lumetra" && md5sum --quiet -c "$release/package-files.md5") ||
    { echo "installed files differ" >&2; exit 1; }
  elapsed "$t0" "$t1"
}

(manual_run) >/dev/null  # warm-up: page cache, Wine's first start of the extractor
echo "package: $top.7z, $package_bytes bytes; runs: $runs ($arch)"
echo "run  curl_s md5sum_s 7za_s prereq_s cp_s regedit_s links_s upgrader_s  manual_sum_s  installer_s  ratio${other_exe:+  other_s  other_ratio}"
: >"$work/results"
for i in $(seq "$runs"); do
  read -r c m z q p r l u sum < <(manual_run) && [ -n "${sum:-}" ] || { echo "manual run failed" >&2; exit 1; }
  inst=$(installer_run "$i")
  ratio=$(awk -v a="$inst" -v b="$sum" 'BEGIN { printf "%.2f", a / b }')
  other=""
  if [ -n "$other_exe" ]; then
    o=$(installer_run "other-$i" "$other_exe")
    other="  $o  $(awk -v a="$o" -v b="$sum" 'BEGIN { printf "%.2f", a / b }')"
  fi
  echo "$i    $c $m $z $q $p $r $l $u  $sum  $inst  $ratio$other" | tee -a "$work/results"
done
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "median manual sum s: $(awk '{ print $10 }' "$work/results" | median)"
echo "median installer s:  $(awk '{ print $11 }' "$work/results" | median)"
echo "median ratio:        $(awk '{ print $12 }' "$work/results" | median)  (goal: at most 1.15)"
if [ -n "$other_exe" ]; then
  echo "median other s:      $(awk '{ print $13 }' "$work/results" | median)"
  echo "median other ratio:  $(awk '{ print $14 }' "$work/results" | median)"
fi
echo "timelines (log lines with the time they arrived): $work/timeline-*.txt"
