#!/usr/bin/env bash
# Writes a sample release into a folder served by the release server: the two prerequisite
# installers (stand-ins), the product package, and the update_win.ini that describes them,
# written by the release kit (build/native/tools/lumetra-release, or the one of
# $LUMETRA_NATIVE_BUILD_DIR) from release.manifest.
#   $1  release folder    $2  base URL it is served at (http://127.0.0.1:PORT)
#   $3  folder with the stand-in programs (build/win/fixtures)
# Environment:
#   SAMPLE_VERSION       product version (default 2.0.0.5)
#   SAMPLE_PAD_MB        adds a file of this many MiB of random bytes to the package
#                        (stored, not compressed), for timing large packages
#   SAMPLE_PREREQUISITES "fail" serves installers that end without installing anything
#   SAMPLE_PACKAGE_URL   the package's URL in update_win.ini (default BASE_URL/<file>), e.g.
#                        one through a fault prefix of the release server
#
# The package Lumetra_<version>.7z holds one top folder Lumetra_<version> with Lumetra.exe,
# Upgrader.exe (records its arguments in upgrader_started.txt and its working folder in
# upgrader_folder.txt, beside itself), uninstaller.exe and a few data files.
# package-files.md5 lists the digest of every file of that top folder (relative paths), for
# comparing an installed folder; the prerequisite stand-ins record their arguments under
# C:\ProgramData\LumetraFixtures.
set -euo pipefail
release=${1:?usage: make-sample-release.sh RELEASE_DIR BASE_URL FIXTURES_DIR}
base_url=${2:?}
fixtures=${3:?}
version=${SAMPLE_VERSION:-2.0.0.5}
top=Lumetra_$version

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/$top/resources" "$release"
cp "$fixtures/product_stub.exe" "$work/$top/Lumetra.exe"
cp "$fixtures/upgrader_stub.exe" "$work/$top/Upgrader.exe"
cp "$fixtures/product_stub.exe" "$work/$top/uninstaller.exe"
echo "Lumetra sample release $version" >"$work/$top/readme.txt"
printf 'texts of the sample release\r\n' >"$work/$top/resources/texts.txt"
if [ -n "${SAMPLE_PAD_MB:-}" ]; then
  head -c "$((SAMPLE_PAD_MB * 1024 * 1024))" /dev/urandom >"$work/$top/resources/padding.bin"
fi
rm -f "$release/$top.7z"
(cd "$work" && 7zz a -bd -bso0 -mx1 "$release/$top.7z" "$top")
(cd "$work/$top" && find . -type f | sed 's|^\./||' | sort | xargs -d '\n' md5sum) \
  >"$release/package-files.md5"

if [ "${SAMPLE_PREREQUISITES:-}" = fail ]; then
  cp "$fixtures/setup_stub_fails.exe" "$release/ndp48-web.exe"
  cp "$fixtures/setup_stub_fails.exe" "$release/vc_redist.x86.exe"
else
  cp "$fixtures/dotnet_setup_stub.exe" "$release/ndp48-web.exe"
  cp "$fixtures/vc_setup_stub.exe" "$release/vc_redist.x86.exe"
fi

# update_win.ini comes from the release kit, as for a real release: a manifest beside the
# files, and `lumetra-release make` computes every MD5 and Bytes.
kit=${LUMETRA_NATIVE_BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build/native}/tools/lumetra-release
[ -x "$kit" ] || { echo "make-sample-release: no release kit at $kit (build the native preset)" >&2; exit 1; }
printf '%s\r\n' \
  '[release]' "base_url = $base_url" 'minimum_windows = 6.1.7601.0' \
  '[package Application]' "file = $top.7z" "version = $version" 'windows = all' \
  'entry_for = 6.1 10.0' ${SAMPLE_PACKAGE_URL:+"url = $SAMPLE_PACKAGE_URL"} \
  '[NetFramework]' 'file = ndp48-web.exe' 'version = v4.6' 'needed = yes' \
  '[VC2015x86]' 'file = vc_redist.x86.exe' 'needed = yes' >"$release/release.manifest"
"$kit" make "$release/release.manifest" >/dev/null
size_of() { stat -c %s "$1"; }
echo "sample release in $release: $top.7z ($(size_of "$release/$top.7z") bytes)," \
  "ndp48-web.exe, vc_redist.x86.exe, update_win.ini (from release.manifest)"
