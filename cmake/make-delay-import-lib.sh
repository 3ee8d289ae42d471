#!/usr/bin/env bash
# Makes a delay-import library for one system DLL: the functions that cmake/delay-imports.txt
# lists for it, each resolved when first called (after the installer has narrowed where
# DLLs are looked for) instead of when the program is loaded. Beside it, a linker argument
# file that names every function's thunk as undefined.
#
# Why the thunks must be named: each member of such a library holds the thunk and, in the
# same section, the stub that its import slot points to until the first call binds it. The
# i686 linker drops that section of an import-library member whose thunk nothing names,
# which is the case for every function the headers declare dllimport (called through the
# slot itself): the slot then holds 0 and the first call jumps there.
#   make-delay-import-lib.sh NM DLLTOOL MACHINE IMPORT_LIB DLL_NAME FUNCTIONS_FILE LIBRARY OUT
set -euo pipefail
nm_tool=$1 dlltool=$2 machine=$3 import_lib=$4 dll=$5 functions_file=$6 library=$7 out=$8
def=${out%.a}.def
linker_args=${out%.a}.ld-args

# The listed functions: a library's line and the indented lines that follow it.
mapfile -t functions < <(awk -v lib="$library" '
  /^[[:space:]]*(#|$)/ { next }
  /^[^[:space:]]/ { current = $1; start = 2 } /^[[:space:]]/ { start = 1 }
  current == lib { for (i = start; i <= NF; i++) print $i }' "$functions_file")
if [ "${#functions[@]}" -eq 0 ]; then
  echo "make-delay-import-lib: $functions_file lists no function of $library" >&2
  exit 1
fi

# The import library's own spelling of each: i686 names carry the C prefix "_" and, for
# stdcall, "@N"; x86-64 names are plain.
imports=$("$nm_tool" -g --defined-only "$import_lib" | sed -n 's/^[0-9a-f]* I __imp_\(.*\)$/\1/p')
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
} >"$def"
: >"$linker_args"
for function in "${functions[@]}"; do
  if [ "$machine" = i386 ]; then
    symbol=$(grep -m1 -E "^_${function}(@[0-9]+)?\$" <<<"$imports" || true)
  else
    symbol=$(grep -m1 -x "$function" <<<"$imports" || true)
  fi
  if [ -z "$symbol" ]; then
    echo "make-delay-import-lib: $dll has no function $function ($import_lib)" >&2
    exit 1
  fi
  if [ "$machine" = i386 ]; then echo "${symbol#_}"; else echo "$symbol"; fi >>"$def"
  echo "--undefined=$symbol" >>"$linker_args"
done

kill_at=()
[ "$machine" = i386 ] && kill_at=(-k)
"$dlltool" -m "$machine" "${kill_at[@]}" -d "$def" -D "$dll" -y "$out"
