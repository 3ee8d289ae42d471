#!/usr/bin/env bash
# One row of the fault matrix (scripts/fault-matrix.sh): a first installation against the
# release server with the fault FAULT_CASE, driven as a person would, then what the user
# saw and what the machine holds afterwards, written to FAULT_ROW as
# "fault|user saw|log outcome|files afterwards|nothing lost".
source "$LUMETRA_SOURCE_DIR/tests/e2e/lib.sh"
case_name=${FAULT_CASE:?}
row=${FAULT_ROW:?}
SAMPLE_PAD_MB=${SAMPLE_PAD_MB:-4}
export SAMPLE_PAD_MB
timeout_ms=10000
folder=$WINEPREFIX/drive_c/Program\ Files/Lumetra
temp_dir=$WORK_DIR
records=$WINEPREFIX/drive_c/ProgramData/LumetraFixtures
package=Lumetra_2.0.0.5.7z
mid=1500000
at_start() { :; }   # what happens once the window is up
at_licence() { :; } # what the person does on the licence page before accepting
during() { :; }     # the fault made while the installer works, after Continue
checks=()           # further checks: each prints "; what it found" and fails when something was lost
saw_during=         # what the user saw while the fault lasted
previous_md5=       # an update row: the digest of the installed Lumetra.exe before the run
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra'

error_shown() { # SHOT: the status line is red
  [ "$(count_in "$1" "$wid" 0 505 400 35 'r>0.8&&g<0.3&&b<0.3')" -gt 20 ]
}
# note_error_shown WHEN: remembers whether the error was on screen at that moment.
note_error_shown() {
  if error_shown "$(shot_of "$wid" "during")"; then saw_during+="an error message $1, "
  else saw_during+="no error message $1, "; fi
}
fault_url() { echo "$SERVER_URL/fault/$1/${2:-$package}"; }
# fault_item FILE FAULT: the release's URL of FILE (a prerequisite) goes through FAULT.
fault_item() {
  sed -i "s|^URL=$SERVER_URL/$1\r\$|URL=$(fault_url "$2" "$1")\r|" "$release/update_win.ini"
  grep -qF "$(fault_url "$2" "$1")" "$release/update_win.ini" || fail "no URL of $1 to replace"
}
# wait_for_log_like REGEX SECONDS
wait_for_log_like() {
  local deadline=$((SECONDS + $2))
  while [ "$SECONDS" -lt "$deadline" ]; do
    log_messages | grep -qE -- "$1" && return 0
    sleep 0.2
  done
  return 1
}
half_of() { echo $(($(size_of "$release/$1") / 2)); }
# wait_for_size FILE BYTES SECONDS
wait_for_size() {
  local _
  for _ in $(seq $(($3 * 10))); do
    [ "$(size_of "$1" 2>/dev/null || echo 0)" -ge "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
# cable_out_for SECONDS: the cable pulled, then plugged back.
cable_out_for() {
  pull_cable
  sleep "$1"
  note_error_shown "while offline"
  plug_cable
}
# copy_stalls_until CHANGE: waits until the copy into the install folder stalls on a file,
# then makes CHANGE and waits until the copy goes on.
copy_stalls_until() {
  wait_for_log_like '^CopytoInstallPath: .* cannot be replaced' 60 ||
    { saw_during+="(the copy never stalled) "; return 0; }
  sleep 2
  note_error_shown "while the copy stalled"
  eval "$1"
  wait_for_log_like '^CopytoInstallPath: .* replaced$' 30 || saw_during+="(the copy did not go on) "
}

# odd_names: the user's folders (AppData, Downloads) and the Program Files folder get
# names with "%", blanks and Chinese characters (where Windows keeps them, in the
# registry), and the installer is started from such a folder.
odd_names() {
  local odd='50% of 用户 名' shell='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
  local profile="C:\\users\\$odd" view
  wine reg add "$shell\User Shell Folders" /v AppData /t REG_EXPAND_SZ /d "$profile\\AppData\\Roaming" /f
  wine reg add "$shell\Shell Folders" /v AppData /d "$profile\\AppData\\Roaming" /f
  wine reg add "$shell\User Shell Folders" /v '{374DE290-123F-4565-9164-39C4925E467B}' \
    /t REG_EXPAND_SZ /d "$profile\\Downloads" /f
  for view in 32 64; do
    wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v ProgramFilesDir \
      /d "C:\\$odd Program Files" /f /reg:$view
  done
  USER_DIR=$WINEPREFIX/drive_c/users/$odd
  DOWNLOADS=$USER_DIR/Downloads
  installer_dir=$DOWNLOADS/$odd
  INSTALL_LOG=$USER_DIR/AppData/Roaming/Lumetra/Log/Install.log
  folder="$WINEPREFIX/drive_c/$odd Program Files/Lumetra"
  mkdir -p "$DOWNLOADS" "$USER_DIR/AppData/Roaming" "${folder%/Lumetra}"  # as Windows has them
}

# small_program_files: Program Files becomes a file system of what it holds now and 1 MiB
# more (the package needs more than that), so that a copy into it fails half-way.
small_program_files() {
  local program_files=$WINEPREFIX/drive_c/Program\ Files
  cp -a "$program_files" "$E2E_DIR/program-files"
  mount -t tmpfs -o size=$(($(du -sk "$program_files" | cut -f1) + 1024))k lumetra-full \
    "$program_files"
  E2E_CLEANUP+=("umount '$program_files'")
  cp -a "$E2E_DIR/program-files/." "$program_files/"
}

# Every run has a network of its own, with the cable in (offline-* rows pull it): nothing
# the installer sends, wherever it is addressed, leaves this machine.
make_offline_namespace
prepare_cable_pull
# Wine makes a program's sockets in its wineserver: that one runs in the namespace too,
# before any other Wine command of the run could start one outside it.
"${NS[@]}" wineserver -p
start_release_server "${NS[@]}"
runner=("${NS[@]}")
case $case_name in offline-*) timeout_ms=2000 ;; esac
release=$SERVER_STATE/release
override_url=$SERVER_URL/update_win.ini
installer_dir=$DOWNLOADS
case $case_name in
  close-mid-config|reset-mid-config) publish_sample_release
    override_url=$(fault_url "${case_name%%-*}=$(half_of update_win.ini),once" update_win.ini) ;;
  close-mid-dotnet|reset-mid-dotnet) publish_sample_release
    fault_item ndp48-web.exe "${case_name%%-*}=$(half_of ndp48-web.exe),once" ;;
  close-mid-vc|reset-mid-vc) publish_sample_release
    fault_item vc_redist.x86.exe "${case_name%%-*}=$(half_of vc_redist.x86.exe),once" ;;
  close-mid-package) publish_sample_release "$(fault_url "close=$mid,once")" ;;
  reset-mid-package) publish_sample_release "$(fault_url "reset=$mid,once")" ;;
  short-body) publish_sample_release "$(fault_url "length=99999999,once")" ;;
  length-too-small) publish_sample_release "$(fault_url "length=1000,once")" ;;
  no-content-length) publish_sample_release "$(fault_url "chunked")" ;;
  range-ignored-after-close) publish_sample_release "$(fault_url "close=$mid,once,tag=a")"
    # The resumption's Range is answered with the whole file.
    sed -i "s|fault/close=$mid,once,tag=a|fault/close=$mid,once,ignore-range|" "$release/update_win.ini" ;;
  206-from-another-offset) publish_sample_release "$(fault_url "offset=1000,once")" ;;
  416-on-complete-file) publish_sample_release
    # The whole package already lies in Temp: its resumption asks for bytes past the end.
    mkdir -p "$temp_dir"
    cp "$release/$package" "$temp_dir/" ;;
  package-404) publish_sample_release "$(fault_url "status=404")" ;;
  connection-refused) publish_sample_release "http://127.0.0.1:9/$package" ;;
  stalled-server) publish_sample_release "$(fault_url "stall=$mid")"; timeout_ms=3000 ;;
  offline-at-config) publish_sample_release
    pull_cable
    at_start() { sleep 8; note_error_shown "while offline"; plug_cable; } ;;
  offline-mid-prerequisite) publish_sample_release
    fault_item ndp48-web.exe "throttle=20000"
    during() {
      wait_for_size "$temp_dir/ndp48-web.exe" 20000 60 || saw_during+="(the download never began) "
      cable_out_for 8
    } ;;
  offline-mid-package) publish_sample_release "$(fault_url "throttle=1000000")"
    during() {
      wait_for_size "$temp_dir/$package" "$mid" 60 || saw_during+="(the package never came) "
      cable_out_for 8
    } ;;
  offline-during-install) publish_sample_release
    during() { wait_for_log "Install" 60; cable_out_for 4; } ;;
  digest-mismatch) publish_sample_release
    sed -i "0,/^MD5=/s/^MD5=.*/MD5=0123456789abcdef0123456789abcdef\r/" "$release/update_win.ini" ;;
  corrupted-partial-in-temp) publish_sample_release
    mkdir -p "$temp_dir"
    head -c "$mid" /dev/urandom >"$temp_dir/$package" ;;
  full-disk-during-copy) publish_sample_release
    # Program Files, which is to hold the installation, is a file system with 1 MiB to
    # spare, less than the package needs: the copy fails half-way.
    small_program_files ;;
  locked-file-in-install-folder) publish_sample_release
    mkdir -p "$folder"
    wine "$LUMETRA_BUILD_DIR/fixtures/hold_file.exe" 'C:\Program Files\Lumetra\Lumetra.exe' 600 \
      >>"$E2E_DIR/wine.out" 2>&1 &
    holder=$!
    E2E_PIDS+=("$holder")
    for _ in $(seq 100); do [ -e "$folder/Lumetra.exe" ] && break; sleep 0.2; done
    [ -e "$folder/Lumetra.exe" ] || fail "the file was not held"
    during() { copy_stalls_until "kill $holder"; } ;;
  product-will-not-end) publish_sample_release
    # An earlier copy of the product, left running, that ignores every request to close.
    mkdir -p "$folder"
    cp "$LUMETRA_BUILD_DIR/fixtures/exit_after.exe" "$folder/Lumetra.exe"
    wine 'C:\Program Files\Lumetra\Lumetra.exe' 0 600000 >>"$E2E_DIR/wine.out" 2>&1 &
    product=$!
    E2E_PIDS+=("$product")
    sleep 2
    product_ended() {
      if kill -0 "$product" 2>/dev/null; then echo "; the running product: still running"; return 1; fi
      echo "; the running product: ended"
    }
    checks+=(product_ended) ;;
  link-to-outside-in-install-folder) publish_sample_release
    # Links left in the install folder by someone else, to a folder and a file outside it.
    outside=$E2E_DIR/outside
    mkdir -p "$outside/data" "$folder"
    echo "the user's own" >"$outside/data/own.txt"
    echo "the user's note" >"$outside/note.txt"
    ln -s "$outside/data" "$folder/data"
    ln -s "$outside/note.txt" "$folder/readme.txt"
    outside_kept() {
      if [ "$(cat "$outside/data/own.txt" "$outside/note.txt" 2>/dev/null)" = \
           "$(printf "the user's own\nthe user's note")" ]; then
        echo "; the files the links led to: kept"
      else echo "; the files the links led to: lost"; return 1; fi
    } 
    checks+=(outside_kept) ;;
  link-as-working-folder) publish_sample_release
    # The working folder's place holds a link to a folder of the user's.
    outside=$E2E_DIR/outside
    mkdir -p "$outside" "${WORK_DIR%/Temp}"
    echo "the user's own" >"$outside/own.txt"
    ln -s "$outside" "$WORK_DIR"
    outside_untouched() {
      if [ "$(ls -A "$outside")" = own.txt ] && [ "$(cat "$outside/own.txt")" = "the user's own" ]; then
        echo "; the folder the link led to: untouched"
      else echo "; the folder the link led to: changed ($(ls -A "$outside" | head -n 5 | tr '\n' ' '))"; return 1; fi
    }
    checks+=(outside_untouched) ;;
  install-location-to-user-files) publish_sample_release
    # A stale or edited registration names a folder of the user's files as the installation.
    docs=$USER_DIR/Documents/Work
    mkdir -p "$docs/sub"
    echo "a report" >"$docs/report.txt"
    echo "some notes" >"$docs/sub/notes.txt"
    reg_add "$uninstall_key" InstallLocation "C:\\users\\$WIN_USER\\Documents\\Work"
    user_files_kept() {
      if [ "$(cat "$docs/report.txt" "$docs/sub/notes.txt" 2>/dev/null)" = "$(printf 'a report\nsome notes')" ]; then
        echo "; the user's files there: kept"
      else echo "; the user's files there: lost"; return 1; fi
    }
    checks+=(user_files_kept) ;;
  full-disk-during-update) publish_sample_release
    # An earlier version is installed; the copy of the new one beside it fails half-way.
    install_product_stub 'C:\Program Files\Lumetra' >/dev/null
    reg_add "$uninstall_key" InstallLocation 'C:\Program Files\Lumetra'
    reg_add "$uninstall_key" DisplayVersion 1.0.0.0
    previous_md5=$(md5sum <"$folder/Lumetra.exe")
    small_program_files ;;
  planted-dll) publish_sample_release
    planted="wininet.dll wtsapi32.dll msimg32.dll gdiplus.dll"
    for dll in $planted; do cp "$LUMETRA_BUILD_DIR/fixtures/planted.dll" "$DOWNLOADS/$dll"; done
    export WINEDLLOVERRIDES="wininet,wtsapi32,msimg32,gdiplus=n,b"
    dll_not_loaded() {
      if [ -s "$records/planted_dll.txt" ]; then echo "; a planted DLL: loaded"; return 1; fi
      echo "; a planted DLL: not loaded"
    }
    checks+=(dll_not_loaded) ;;
  planted-explorer) publish_sample_release
    # An explorer.exe beside the installer; the person opens the licence's first link.
    cp "$LUMETRA_BUILD_DIR/fixtures/record_launch.exe" "$DOWNLOADS/explorer.exe"
    opened=$E2E_DIR/opened.txt
    : >"$opened"
    wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /f \
      /d "/bin/sh -c \"echo \$0 >> $opened\"" >/dev/null
    at_licence() { click_at "$wid" 180 518; sleep 3; }
    explorer_not_run() {
      local got="the link: $([ -s "$opened" ] && echo opened || echo not opened)"
      if [ -e "$DOWNLOADS/explorer.exe.ran" ]; then echo "; $got; the planted explorer.exe: ran"; return 1; fi
      echo "; $got; the planted explorer.exe: did not run"
    }
    checks+=(explorer_not_run) ;;
  swapped-installer-in-temp) publish_sample_release
    # A program of the user's overwrites the downloaded VC runtime installer with another
    # program (the .NET stand-in) whenever it can, for 25 s.
    cp "$release/ndp48-web.exe" "$WINEPREFIX/drive_c/users/$WIN_USER/other.exe"
    wine "$LUMETRA_BUILD_DIR/fixtures/swap_file.exe" "C:\\users\\$WIN_USER\\other.exe" \
      "$WORK_DIR_WIN\\vc_redist.x86.exe" 25 \
      "C:\\users\\$WIN_USER\\swap.txt" >>"$E2E_DIR/wine.out" 2>&1 &
    E2E_PIDS+=("$!")
    swapped_not_run() {
      local swaps runs
      for _ in $(seq 30); do [ -s "$USER_DIR/swap.txt" ] && break; sleep 1; done
      swaps=$(tr -d '\n' <"$USER_DIR/swap.txt" 2>/dev/null || echo "no record")
      runs="VC installer ran $(cat "$records/vc_setup.txt" 2>/dev/null | wc -l)x, .NET installer $(cat "$records/dotnet_setup.txt" 2>/dev/null | wc -l)x"
      echo "; the swapper: $swaps; VC installer fetched $(log_messages | grep -c '^Download  start: .*vc_redist' || true)x; $runs"
      [ "$runs" = "VC installer ran 1x, .NET installer 1x" ]
    }
    checks+=(swapped_not_run) ;;
  malformed-config) publish_sample_release
    head -c 65536 /dev/urandom >"$release/update_win.ini" ;;
  config-10-mb) publish_sample_release
    head -c 10485760 < <(yes '[Application]') >"$release/update_win.ini" ;;
  config-missing-sections) publish_sample_release
    printf '[Windows_Application]\r\nLatestVersion_10.0=Application\r\n' >"$release/update_win.ini" ;;
  config-huge-values) publish_sample_release
    huge=$(head -c 100000 < <(yes 9) | tr -d '\n')
    sed -i -e "0,/^Bytes=/s/^Bytes=.*/Bytes=$huge\r/" -e "0,/^Version=/s/^Version=.*/Version=$huge\r/" \
      "$release/update_win.ini" ;;
  odd-user-and-install-folder) publish_sample_release
    odd_names ;;
  *) fail "no such fault: $case_name" ;;
esac
write_override "$override_url" "$timeout_ms"
mkdir -p "$installer_dir"
cp "$LUMETRA_EXE" "$installer_dir/LumetraSetup.exe"
"${runner[@]}" wine "$installer_dir/LumetraSetup.exe" >>"$E2E_DIR/wine.out" 2>&1 &
installer=$!
E2E_PIDS+=("$installer")
wid=$(find_window "$CAPTION" 30) || fail "no window"
at_start
if wait_for_log "Run this..." 30; then
  sleep 1
  at_licence
  click_at "$wid" 48 518
  click_at "$wid" 110 588
  during
fi
# Until the installer ends or has shown an error for 5 s; at most 90 s.
ended=no
red_for=0
for _ in $(seq 90); do
  if ! kill -0 "$installer" 2>/dev/null; then ended=yes; break; fi
  if error_shown "$(shot_of "$wid" "last")"; then red_for=$((red_for + 1)); else red_for=0; fi
  [ "$red_for" -ge 5 ] && break
  log_messages | grep -qxF "Doesn't support current OS" && break
  sleep 1
done

# Listed by Windows: the entry's values, read back (the exit status of reg alone is not enough).
registered=no
wine reg query "$uninstall_key" /reg:32 2>/dev/null |
  grep -q 'InstallLocation' && registered=yes
if [ "$ended" = yes ] && [ -s "$folder/upgrader_started.txt" ]; then
  saw="installed; the window closed, the upgrader started"
elif error_shown "$(shot_of "$wid" "last")"; then
  saw="an error message (red status line)"
elif log_messages | grep -qxF "Doesn't support current OS"; then
  saw="the unsupported-Windows page"
elif [ "$ended" = yes ]; then
  saw="the window closed without installing"
else
  saw="the window still waiting (no error shown)"
fi
[ -n "$saw_during" ] && saw="${saw_during%, }; at the end $saw"
if [ "$ended" = no ]; then
  leave_installer "$wid" || true
  wait_exit "$installer" 20 || kill "$installer" 2>/dev/null || true
fi
outcome=$(log_messages | grep -vE '^download : |^Retry: ' | tail -n 1 || true)
if [ -d "$folder" ] && (cd "$folder" && md5sum --quiet -c "$SAMPLE_MANIFEST" >/dev/null 2>&1); then
  files="the package's files, identical"
elif [ -n "$previous_md5" ] && [ "$(md5sum <"$folder/Lumetra.exe" 2>/dev/null)" = "$previous_md5" ] &&
     [ ! -e "$folder.new" ]; then
  files="the previous installation, unchanged"
elif [ -d "$folder" ] && [ -n "$(ls -A "$folder")" ]; then
  files="an install folder that differs from the package"
else
  files="no install folder"
fi
[ -e "$temp_dir" ] && files="$files; Temp folder left" || files="$files; no Temp folder"
files="$files; uninstall entry: $registered"
lost=yes
if { [ "$files" != "${files#the package*}" ] && [ "$registered" = yes ]; } ||
   { [ "$files" != "${files#no install folder}" ] && [ "$registered" = no ]; } ||
   { [ "$files" != "${files#the previous installation}" ] && [ "$registered" = yes ]; }; then lost=no; fi
for check in "${checks[@]}"; do
  found=$($check) || lost=yes
  files+=$found
done
nothing_lost=$([ "$lost" = no ] && echo yes || echo no)
echo "$case_name|$saw|$outcome|$files|$nothing_lost" >"$row"
exit 0
