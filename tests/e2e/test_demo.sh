#!/usr/bin/env bash
# README command 1 as CI runs it, without a display: scripts/demo.sh clicks through a
# first installation by itself, exits 0, and its report names the stages in the order
# the window showed them, the uninstall entry, the package's files, the Run value and the
# upgrader's command line; the contact sheet is an image.
source "$(dirname "$0")/lib.sh"

demo_dir=$E2E_DIR/demo
env -u DISPLAY LUMETRA_DEMO_DIR="$demo_dir" LUMETRA_DEMO_TEMPLATE="$LUMETRA_TEST_ROOT/template" \
  "$LUMETRA_SOURCE_DIR/scripts/demo.sh" --no-build >"$E2E_DIR/demo.out" 2>&1 ||
  fail "the demo failed: $(grep -m1 'FAILED' "$E2E_DIR/demo.out")"
report=$demo_dir/run/report.txt
[ -f "$report" ] || fail "no report"

stages=$(sed -n 's/^ *[0-9.]* s  \([a-z ]*[a-z]\) .*\.png$/\1/p' "$report" | tr '\n' ',')
[[ $stages == *licence,downloading,installing,* ]] || fail "stages seen: $stages"
grep -qxF '  Server configuration signature verified' "$report" ||
  fail "the installer did not verify the signed configuration"
grep -qF 'GET /update_win.ini.sig ' "$report" || fail "the signature was not fetched"
grep -qxF '  DisplayName    REG_SZ    Lumetra' "$report" || fail "no uninstall entry in the report"
grep -qxF '  every file of the package is there as released (MD5)' "$report" ||
  fail "the report does not vouch for the installed files"
grep -qF '  Lumetra    REG_SZ    "C:\Program Files\Lumetra\Lumetra.exe" /WinStart' "$report" ||
  fail "no Run value in the report"
grep -qE '^  Upgrader\.exe 300 856 "[0-9/]{10} [0-9:]{8}" Corvane$' "$report" ||
  fail "no upgrader command line in the report"
[ "$(identify -format '%m' "$demo_dir/run/contact-sheet.png")" = PNG ] || fail "no contact sheet"
# Nothing left behind but the run's pictures and report.
[ ! -e "$demo_dir/prefix" ] || fail "the demo left its prefix"
