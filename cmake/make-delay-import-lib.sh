#!/usr/bin/env bash
# Makes a delay-import library for one system DLL from mingw's ordinary import library:
# every function it names, resolved only when first called (after the installer has
# narrowed where DLLs are looked for), instead of when the program is loaded.
#   make-delay-import-lib.sh NM DLLTOOL MACHINE IMPORT_LIB DLL_NAME OUT
set -euo pipefail
nm_tool=$1 dlltool=$2 machine=$3 import_lib=$4 dll=$5 out=$6
def=${out%.a}.def
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  # i686 names carry the C prefix "_" and stdcall's "@N"; x86-64 names are plain.
  "$nm_tool" -g --defined-only "$import_lib" | sed -n 's/^[0-9a-f]* I __imp_\(.*\)$/\1/p' |
    if [ "$machine" = i386 ]; then sed 's/^_//'; else cat; fi | sort -u
} >"$def"
kill_at=()
[ "$machine" = i386 ] && kill_at=(-k)
"$dlltool" -m "$machine" "${kill_at[@]}" -d "$def" -D "$dll" -y "$out"
