#!/bin/sh
# Installs the build into a folder of its own and checks what a Linux desktop
# reads of it: a valid desktop entry that opens one file, and a GDB file type
# (by its .gdb name and by its "MsRcf" signature) for which the entry is
# offered, as update-mime-database and update-desktop-database record them;
# and in both, the Dutch and German texts of the catalogues in PO_DIR.
#
# Usage: desktop_entry_test.sh CMAKE BUILD_DIR PO_DIR
# Needs Debian's desktop-file-utils, shared-mime-info, libxml2-utils and gettext.
set -u
usage="usage: desktop_entry_test.sh CMAKE BUILD_DIR PO_DIR"
cmake=${1:?$usage}
build=${2:?$usage}
po=${3:?$usage}
type=application/x-gdb-waypoints

for tool in desktop-file-validate update-desktop-database update-mime-database xmllint msgexec; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "needs $tool: apt-get install desktop-file-utils shared-mime-info libxml2-utils gettext" >&2
    exit 1
  fi
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
share=$prefix/share
entry=$share/applications/morvex.desktop
package=$share/mime/packages/morvex-gdb.xml
[ -f "$entry" ] || fail "no desktop entry installed"
[ -f "$package" ] || fail "no GDB file type installed"

desktop-file-validate "$entry" || fail "desktop entry not valid"
grep -qx 'Exec=morvex %f' "$entry" || fail "the entry does not open a file"
xmllint --noout "$package" || fail "file type not well-formed"

update-mime-database "$share/mime" 2>/dev/null || fail "update-mime-database"
update-desktop-database "$share/applications" || fail "update-desktop-database"
grep -qx "50:$type:\*\.gdb" "$share/mime/globs2" || fail "no *.gdb glob for $type"
# The magic entry: the type, then at offset 0 the 5 bytes of the signature.
magic=$(od -An -c "$share/mime/magic" | tr -s ' \n' ' ')
case $magic in
  *"$(printf '%s' "[50:$type]" | od -An -c | tr -s ' \n' ' ')"*) ;;
  *) fail "no magic entry for $type" ;;
esac
printf '>0=\000\005MsRcf\n' | od -An -c | tr -s ' \n' ' ' >"$prefix/expected"
case $magic in
  *"$(cat "$prefix/expected")"*) ;;
  *) fail "no MsRcf signature at offset 0" ;;
esac

# The translation of an English text without a context in the catalogue of a
# language, as gettext's msgexec reads it; empty where it has none.
translation() {
  msgexec -i "$po/$1.po" sh -c \
    '[ -z "${MSGEXEC_MSGCTXT+set}" ] && [ "$MSGEXEC_MSGID" = "$0" ] && cat; true' "$2"
}
for language in nl de; do
  for key in Name GenericName Comment Keywords; do
    english=$(sed -n "s/^$key=//p" "$entry")
    [ -n "$english" ] || fail "the entry has no $key"
    words=$(translation "$language" "$english")
    [ -n "$words" ] || fail "$po/$language.po does not translate the entry's $key \"$english\""
    grep -qxF "$key[$language]=$words" "$entry" ||
      fail "the entry's $key[$language] is not \"$words\": $(grep "^$key\[$language\]=" "$entry")"
  done
  english=$(sed -n 's|^ *<comment>\(.*\)</comment>$|\1|p' "$package")
  [ -n "$english" ] || fail "the type has no English name"
  words=$(translation "$language" "$english")
  [ -n "$words" ] || fail "$po/$language.po does not translate the type's name \"$english\""
  # As installed, and as update-mime-database records it.
  for file in "$package" "$share/mime/$type.xml"; do
    grep -qF "<comment xml:lang=\"$language\">$words</comment>" "$file" ||
      fail "no $language name \"$words\" of the type in $file"
  done
done
grep -qx "$type=morvex.desktop;" "$share/applications/mimeinfo.cache" ||
  fail "the entry is not offered for $type"
echo "desktop entry and GDB file type: ok"
