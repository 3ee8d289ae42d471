#!/usr/bin/env bash
# DLLs left in the Downloads folder under system names are never loaded by the installer:
# its import table names only DLLs that Windows always takes from its own folder, and the
# others are loaded late, after the search has been narrowed to the system folder. Where
# Wine is told to prefer a DLL it finds over its own, as Windows does, and a program that
# imports one the ordinary way shows first that the plant works; then a whole run of the
# installer with planted DLLs must not load any of them.
source "$(dirname "$0")/lib.sh"

# The import table, whatever the system underneath.
always_from_system="ADVAPI32.dll COMDLG32.dll GDI32.dll KERNEL32.dll msvcrt.dll OLEAUT32.dll ole32.dll SHELL32.dll SHLWAPI.dll USER32.dll"
x86_64-w64-mingw32-objdump -p "$LUMETRA_EXE" | sed -n 's/^\tDLL Name: //p' >"$E2E_DIR/imports.txt"
[ -s "$E2E_DIR/imports.txt" ] || fail "no import table read from $LUMETRA_EXE"
while read -r dll; do
  grep -qiw -- "$dll" <<<"$always_from_system" || fail "$dll is imported at load time"
done <"$E2E_DIR/imports.txt"

record=$WINEPREFIX/drive_c/ProgramData/LumetraFixtures/planted_dll.txt
# Not version.dll: Wine's own user32 imports it, before any line of the installer runs
# (Windows resolves the imports of its own system DLLs in its own folder).
planted="wininet.dll wtsapi32.dll msimg32.dll gdiplus.dll"
export WINEDLLOVERRIDES="wininet,wtsapi32,msimg32,gdiplus=n,b"

# The plant works: an ordinary import takes the DLL beside the program.
control=$DOWNLOADS/control
mkdir -p "$control"
cp "$LUMETRA_BUILD_DIR/fixtures/static_import_probe.exe" "$control/"
cp "$LUMETRA_BUILD_DIR/fixtures/planted.dll" "$control/wtsapi32.dll"
start_wine "$control/static_import_probe.exe"
wait_exit "$E2E_LAST_PID" 30 || fail "the probe did not end"
[ -s "$record" ] || fail "the planted wtsapi32.dll was not loaded even by an ordinary import"
rm -f "$record"

# A whole run that fetches the configuration and starts the installed product, with every
# DLL the installer loads late planted beside it.
start_release_server
publish_package package.7z 1024
{
  printf '[Windows_Application]\r\nLatestVersion_10.0=App10\r\n'
  ini_package_section package.7z App10 2.0.0.5
  printf '[NetFramework]\r\nNeeded=0\r\n[VC2015x86]\r\nNeeded=0\r\n'
} >"$SERVER_STATE/release/update_win.ini"
write_override "$SERVER_URL/update_win.ini" 5000
location='C:\Program Files\Lumetra'
started=$(install_product_stub "$location")
reg_add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra' InstallLocation "$location"
reg_add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumetra' DisplayVersion 2.0.0.5
for dll in $planted; do cp "$LUMETRA_BUILD_DIR/fixtures/planted.dll" "$DOWNLOADS/$dll"; done
place_installer
start_wine "$DOWNLOADS/LumetraSetup.exe"
wait_exit "$E2E_LAST_PID" 60 || fail "the installer did not close after starting the product"
[ -s "$started" ] || fail "the installer did not get as far as starting the product"
[ ! -s "$record" ] || fail "a planted DLL was loaded: $(tr -d '\r' <"$record")"
exit 0
