#!/usr/bin/env bash
# The Windows packages under Wine: the zip holds the two programs, the README
# and the licence; the installer installs silently, the installed converter
# converts, .gdb files list Morvex under "Open with" without it becoming their
# default program, and the silent uninstall leaves nothing behind.
#   installer_test.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
# A prefix of its own: the test changes the registry and waits for every
# program of its Wine server to end.
export WINEPREFIX=$root/build-windows/wine/installer
source "$root/scripts/wine-env"

work=$(mktemp -d "${TMPDIR:-/tmp}/morvex-installer.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "installer_test: $*" >&2; exit 1; }

dist=$work/dist
mkdir -p "$dist"
# The packages are made into a folder of the test's own.
DIST_DIR=$dist "$root/scripts/package-windows" "$build" >/dev/null
zip=$(ls "$dist"/Morvex-*-win64.zip)
setup=$(ls "$dist"/Morvex-*-win64-setup.exe)
listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[[ "$listing" == "LICENSE.txt README.md morvex-convert.exe morvex.exe " ]] ||
  fail "the zip holds: $listing"

query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
classes='HKLM\Software\Classes'
# The mapping program's own association, which the installer must keep.
wine reg add "$classes\\.gdb" /ve /d MapProgram.Document /f >/dev/null 2>&1

folder='C:\MorvexTest'
unix_folder=$(winepath -u "$folder" 2>/dev/null)
wine "$setup" /S "/D=$folder"
wineserver --wait
for file in morvex.exe morvex-convert.exe README.md LICENSE.txt uninstall.exe; do
  [[ -f "$unix_folder/$file" ]] || fail "$file was not installed"
done
start_menu=$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs' 2>/dev/null)
[[ -f "$start_menu/Morvex.lnk" ]] || fail "no Start-menu entry"

query "$classes\\.gdb\\OpenWithProgids" | grep -q Morvex.gdb || fail "not under Open with"
query "$classes\\.gdb" /ve | grep -q MapProgram.Document || fail "the .gdb default was changed"
query "$classes\\Morvex.gdb\\shell\\open\\command" /ve | grep -q 'morvex.exe" "%1"' ||
  fail "no open command"

cp "$root/examples/example.gdb" "$work/in.gdb"
wine "$unix_folder/morvex-convert.exe" --quiet --option 2 "$work/in.gdb" "$work/out.gdb" 2>/dev/null ||
  fail "the installed converter failed"
[[ -s "$work/out.gdb" ]] || fail "the installed converter wrote nothing"

# _?= runs the uninstaller in place, so that it is done when wine returns.
wine "$unix_folder/uninstall.exe" /S "_?=$folder"
wineserver --wait
rm -f "$unix_folder/uninstall.exe"  # run in place, it cannot remove itself
rmdir "$unix_folder" 2>/dev/null || fail "files left: $(ls -A "$unix_folder")"
[[ ! -e "$start_menu/Morvex.lnk" ]] || fail "the Start-menu entry is left"
query "$classes\\Morvex.gdb" >/dev/null && fail "the ProgID is left"
query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvex' >/dev/null &&
  fail "the uninstall entry is left"
query "$classes\\.gdb\\OpenWithProgids" /v Morvex.gdb >/dev/null && fail "Open with is left"
query "$classes\\.gdb" /ve | grep -q MapProgram.Document || fail "the .gdb default was lost"
wine reg delete "$classes\\.gdb" /f >/dev/null 2>&1 || true
echo "installer_test: zip, silent install, converter, Open with and silent uninstall checked"
