#!/usr/bin/env bash
# The three links of the licence sentence open their pages in the browser, by a click on
# any of them and by Tab to a link's proxy and Space, in English and in Japanese (whose
# sentence begins with the first link); a click on the comma between two links opens
# nothing. A program called explorer.exe lying beside the installer in Downloads never
# runs: the address goes to the Windows folder's explorer.exe, which hands it to Wine's
# browser launcher, pointed here at a script that writes the address down.
source "$(dirname "$0")/lib.sh"
E2E_CLEANUP+=(keep_screenshots)

start_release_server
publish_release
cp "$LUMETRA_BUILD_DIR/fixtures/record_launch.exe" "$DOWNLOADS/explorer.exe"
opened=$E2E_DIR/opened.txt
: >"$opened"
wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /f \
  /d "/bin/sh -c \"echo \$0 >> $opened\"" >/dev/null 2>&1

host=https://${LUMETRA_WEB_HOST:?run through ctest}
terms=$host/legal-privacy/terms-and-conditions/
privacy=$host/legal-privacy/
eula=$host/legal-privacy/end-user-license-agreement/

# expect_opened URL: the browser got exactly this address next (and nothing else before).
expect_opened() {
  local deadline=$((SECONDS + 15))
  while [ "$SECONDS" -lt "$deadline" ]; do
    [ -s "$opened" ] && break
    sleep 0.2
  done
  sleep 0.5
  [ "$(cat "$opened")" = "$1" ] || fail "$2: opened '$(tr '\n' ' ' <"$opened")', expected $1"
  : >"$opened"
}
expect_nothing_opened() {
  sleep 3
  [ ! -s "$opened" ] || fail "$1 opened $(cat "$opened")"
}

start_installer_in() { # LOCALE
  E2E_LOCALE=$1 start_wine "$DOWNLOADS/LumetraSetup.exe"
  installer=$E2E_LAST_PID
  # By its class, in any language (the caption is translated); an emulated start after the
  # wineserver was ended can take long.
  wid=$(search_window 60 --class "lumetrasetup.exe") || fail "no window in $1"
  for _ in $(seq 150); do [ "$(log_messages | grep -cxF "Run this...")" -ge "$2" ] && break; sleep 0.2; done
  sleep 1.5
}

# English: "I accept the {0}, {1} and {2}" on two lines of the 301-pixel line.
start_installer_in en_US.UTF-8 1
shot_of "$wid" licence-en >/dev/null
click_at "$wid" 180 518; expect_opened "$terms" "Terms and Conditions (English)"
click_at "$wid" 300 518; expect_opened "$privacy" "Privacy Statement (English)"
click_at "$wid" 160 538; expect_opened "$eula" "End User License Agreement (English)"
click_at "$wid" 254 520; expect_nothing_opened "the comma between two links"
key_in "$wid" Tab Tab Tab space; expect_opened "$privacy" "Tab to the second link and Space"
shot_of "$wid" link-focus-en >/dev/null
wineserver -k 2>/dev/null || true
wait_exit "$installer" 10 || true
# The Japanese window is found by its class: the English one must be gone first.
for _ in $(seq 50); do xdotool getwindowgeometry "$wid" >/dev/null 2>&1 || break; sleep 0.2; done

# Japanese: "{0}、{1}および{2}に同意します", the first link at the line's start and the
# third alone on the second line.
start_installer_in ja_JP.UTF-8 2
shot_of "$wid" licence-ja >/dev/null
click_at "$wid" 70 518; expect_opened "$terms" "the first link in Japanese"
click_at "$wid" 190 518; expect_opened "$privacy" "the second link in Japanese"
click_at "$wid" 140 538; expect_opened "$eula" "the third link in Japanese"
key_in "$wid" Tab Tab space; expect_opened "$terms" "Tab to the first link and Space in Japanese"

[ ! -e "$DOWNLOADS/explorer.exe.ran" ] || fail "the explorer.exe in Downloads ran"
