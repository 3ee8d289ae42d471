#!/usr/bin/env bash
# Writes a sample release into a folder served by the release server: the two prerequisite
# installers (stand-ins), the product package and the update_win.ini that describes them.
#   $1  release folder    $2  base URL it is served at (http://127.0.0.1:PORT)
#   $3  folder with the stand-in programs (build/win/fixtures)
# Environment:
#   SAMPLE_VERSION       product version (default 2.0.0.5)
#   SAMPLE_PAD_MB        adds a file of this many MiB of random bytes to the package
#                        (stored, not compressed), for timing large packages
#   SAMPLE_PREREQUISITES "fail" serves installers that end without installing anything
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

md5_of() { md5sum "$1" | cut -d' ' -f1; }
size_of() { stat -c %s "$1"; }
printf '%s\r\n' \
  '[Windows_Application]' 'LatestVersion_6.1=Application' 'LatestVersion_10.0=Application' \
  '[Application]' "URL=$base_url/$top.7z" "Version=$version" \
  "MD5=$(md5_of "$release/$top.7z")" "Bytes=$(size_of "$release/$top.7z")" 'OSSupport=all' \
  '[MiniOSVersion]' 'Version=6.1.7601.0' \
  '[Windows_Installer]' \
  '[NetFramework]' 'Version=v4.6' "URL=$base_url/ndp48-web.exe" \
  "MD5=$(md5_of "$release/ndp48-web.exe")" "Bytes=$(size_of "$release/ndp48-web.exe")" 'Needed=1' \
  '[VC2015x86]' "URL=$base_url/vc_redist.x86.exe" \
  "MD5=$(md5_of "$release/vc_redist.x86.exe")" "Bytes=$(size_of "$release/vc_redist.x86.exe")" \
  'Needed=1' >"$release/update_win.ini"
echo "sample release in $release: $top.7z ($(size_of "$release/$top.7z") bytes)," \
  "ndp48-web.exe, vc_redist.x86.exe, update_win.ini"
