#!/usr/bin/env bash
# import-check must report each fault built into faulty_imports.exe, and fail.
#   expect-faults.sh IMPORT_CHECK KNOWN_DLLS IMPORT_LIBS FAULTY_EXE
set -uo pipefail
check=$1 known=$2 libs=$3 faulty=$4
if [ ! -f "$faulty" ]; then
  echo "FAILED: $faulty is missing: build the win preset first" >&2
  exit 1
fi
output=$("$check" --known-dlls "$known" --import-libs "$libs" "$faulty")
status=$?
echo "$output"
failed=0
expect() {
  if ! grep -qiF "$1" <<<"$output"; then
    echo "FAILED: no finding says: $1" >&2
    failed=1
  fi
}
expect "import slot of MSIMG32.dll!AlphaBlend (late-loaded"
expect "load-time import of WININET.dll"
expect "late-loaded MSIMG32.dll!NoSuchExport is no function of that DLL"
if [ "$status" -ne 1 ]; then
  echo "FAILED: import-check exited with $status, not 1" >&2
  failed=1
fi
exit "$failed"
