#!/usr/bin/env bash
# The fault matrix (not a CI test): a first installation under Wine against the local
# release server once per fault, each in a fresh prefix, driven as a person would (tests/
# faults/fault_case.sh), and one table of what the user saw, how the log ended, what the
# machine holds afterwards and whether anything was lost. Printed, and written to
# docs/reliability.md when every fault ran.
#   scripts/fault-matrix.sh [FILTER]     (as root; FILTER: part of a fault's name; needs the builds)
set -euo pipefail
cd "$(dirname "$0")/.."
filter=${1:-}
faults=(close-mid-config reset-mid-config close-mid-dotnet reset-mid-dotnet close-mid-vc
        reset-mid-vc close-mid-package reset-mid-package short-body length-too-small
        no-content-length range-ignored-after-close 206-from-another-offset 416-on-complete-file
        package-404 connection-refused stalled-server offline-at-config offline-mid-prerequisite
        offline-mid-package offline-during-install digest-mismatch corrupted-partial-in-temp
        full-disk-during-copy full-disk-during-update locked-file-in-install-folder
        product-will-not-end link-to-outside-in-install-folder link-as-working-folder
        install-location-to-user-files planted-dll planted-explorer swapped-installer-in-temp
        malformed-config config-10-mb config-missing-sections config-huge-values
        odd-user-and-install-folder)

preset=win
[ "$(tests/wine/wine-arch.sh)" = win64 ] && preset=win64
build=$PWD/build/$preset
[ -f "$build/LumetraSetup.exe" ] && [ -x build/native/tools/release_server ] ||
  { echo "build first (scripts/test.sh)" >&2; exit 1; }
root=$(mktemp -d /tmp/lumetra-faults.XXXXXX)
trap 'tests/wine/stop-prefix.sh "$root" >/dev/null 2>&1 || true; rm -rf "$root"' EXIT
export LUMETRA_TEST_ROOT=$root LUMETRA_SOURCE_DIR=$PWD LUMETRA_BUILD_DIR=$build
export LUMETRA_NATIVE_BUILD_DIR=$PWD/build/native LUMETRA_EXE=$build/LumetraSetup.exe
echo "fault-matrix: making the Wine prefix (about 20 s)"
tests/wine/make-prefix.sh "$root" >"$root/prefix.log" 2>&1

rows=()
for fault in "${faults[@]}"; do
  [ -z "$filter" ] || [[ $fault == *"$filter"* ]] || continue
  echo "fault-matrix: $fault"
  row=$root/row.txt
  rm -f "$row"
  FAULT_CASE=$fault FAULT_ROW=$row bash tests/faults/fault_case.sh >"$root/$fault.out" 2>&1 || true
  if [ -s "$row" ]; then rows+=("$(cat "$row")")
  else rows+=("$fault|(the run itself failed: $(grep -m1 FAILED "$root/$fault.out" || tail -n1 "$root/$fault.out"))|||no"); fi
done

table() {
  echo "| fault | what the user saw | last log line | files afterwards | nothing lost |"
  echo "|---|---|---|---|---|"
  local r
  for r in "${rows[@]}"; do echo "| ${r//|/ | } |"; done
}
table
if [ -z "$filter" ]; then
  {
    sed '/^<!-- table -->$/q' docs/reliability.md
    echo
    echo "Run of $(date -u +%Y-%m-%d) ($preset build under $( (/usr/lib/wine/wine64 --version || wine --version) 2>/dev/null)):"
    echo
    table
  } >"$root/reliability.md"
  mv "$root/reliability.md" docs/reliability.md
  echo "fault-matrix: written to docs/reliability.md"
fi
