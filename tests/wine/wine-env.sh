# Sourced: the environment of every Wine call of a test run.
#   $1  the test root (prefixes, private HOME, temp folder); WINEPREFIX may be preset.
lumetra_root=$1
export WINEPREFIX=${WINEPREFIX:-$lumetra_root/prefix}
WINEARCH=${LUMETRA_WINE_ARCH:-$("$(dirname "${BASH_SOURCE[0]}")/wine-arch.sh")}
export WINEARCH LUMETRA_WINE_ARCH=$WINEARCH
if [ "$WINEARCH" = win64 ]; then
  # Debian's wine script prefers the 32-bit loader whenever it is installed, even where the
  # kernel cannot start it: point every wine command at the 64-bit loader instead.
  lumetra_wine_bin=$lumetra_root/wine-bin
  if [ ! -x "$lumetra_wine_bin/wine" ]; then
    mkdir -p "$lumetra_wine_bin"
    for name in wine wine-stable; do
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$lumetra_wine_bin/$name"
      chmod +x "$lumetra_wine_bin/$name"
    done
  fi
  case ":$PATH:" in *":$lumetra_wine_bin:"*) ;; *) export PATH=$lumetra_wine_bin:$PATH ;; esac
  export WINELOADER=/usr/lib/wine/wine64
fi
export HOME=$lumetra_root/home
export TMPDIR=$lumetra_root/tmp
export WINEDEBUG=${WINEDEBUG:--all}
# No desktop entries in the home, no Mono/Gecko install prompts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export no_proxy=127.0.0.1,localhost
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY
if [ -z "${LUMETRA_KEEP_DISPLAY:-}" ] && [ -f "$lumetra_root/display" ]; then
  DISPLAY=$(cat "$lumetra_root/display")
  export DISPLAY
fi
mkdir -p "$HOME" "$TMPDIR"
