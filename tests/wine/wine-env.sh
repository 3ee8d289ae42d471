# Sourced: the environment of every Wine call of a test run.
#   $1  the test root (prefixes, private HOME, temp folder); WINEPREFIX may be preset.
lumetra_root=$1
export WINEPREFIX=${WINEPREFIX:-$lumetra_root/prefix}
export WINEARCH=win32
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
