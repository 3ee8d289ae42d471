#!/usr/bin/env bash
# Writes a sample release into a folder served by the release server: the product package
# (stand-in programs of the product, packed with 7-Zip) and the update_win.ini that
# describes it.
#   $1  release folder    $2  base URL it is served at (http://127.0.0.1:PORT)
#   $3  folder with the stand-in programs (build/win/fixtures)
set -euo pipefail
release=${1:?usage: make-sample-release.sh RELEASE_DIR BASE_URL FIXTURES_DIR}
base_url=${2:?}
fixtures=${3:?}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/package" "$release"
for program in Lumetra Upgrader uninstaller; do
  cp "$fixtures/product_stub.exe" "$work/package/$program.exe"
done
echo "Lumetra sample release" >"$work/package/readme.txt"
rm -f "$release/package.7z"
(cd "$work/package" && 7zz a -bd -bso0 "$release/package.7z" .)

md5=$(md5sum "$release/package.7z" | cut -d' ' -f1)
bytes=$(stat -c %s "$release/package.7z")
printf '%s\r\n' \
  '[Windows_Application]' 'LatestVersion_6.1=Application' 'LatestVersion_10.0=Application' \
  '[Application]' "URL=$base_url/package.7z" 'Version=2.0.0.5' "MD5=$md5" "Bytes=$bytes" \
  'OSSupport=all' \
  '[MiniOSVersion]' 'Version=6.1.7601.0' \
  '[Windows_Installer]' \
  '[NetFramework]' 'Version=v4.6' 'Needed=0' \
  '[VC2015x86]' 'Needed=0' >"$release/update_win.ini"
echo "sample release in $release: package.7z ($bytes bytes, md5 $md5), update_win.ini"
