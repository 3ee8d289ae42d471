#!/usr/bin/env bash
# Checks the imports of the installers that the Windows builds made: the 32-bit build (the
# one we ship), which must be there, and the 64-bit build where it was made (scripts/test.sh
# makes both).
#   check-shipped.sh IMPORT_CHECK SOURCE_DIR
set -uo pipefail
check=$1 source_dir=$2
known=$source_dir/tools/import_check/known-dlls.txt
programs=(LumetraSetup.exe demo/LumetraSetupDemo.exe next/LumetraSetupNext.exe)

check_build() { # BUILD_DIR TRIPLE
  local dir=$1 triple=$2 paths=() p
  for p in "${programs[@]}"; do paths+=("$dir/$p"); done
  "$check" --known-dlls "$known" --import-libs "/usr/$triple/lib" "${paths[@]}"
}

if [ ! -f "$source_dir/build/win/LumetraSetup.exe" ]; then
  echo "FAILED: the shipped 32-bit build is missing (build/win): build the win preset first" >&2
  exit 1
fi
status=0
check_build "$source_dir/build/win" i686-w64-mingw32 || status=1
if [ -f "$source_dir/build/win64/LumetraSetup.exe" ]; then
  check_build "$source_dir/build/win64" x86_64-w64-mingw32 || status=1
else
  echo "build/win64 not built: the 64-bit stand-in was not checked"
fi
exit "$status"
