#!/usr/bin/env bash
# Writes pictures of the Windows morvex.exe, run under Wine on a virtual X
# display, to OUT_DIR: the window in English, Dutch and German and the about
# box (win32-main-en.png, win32-main-nl.png, win32-main-de.png,
# win32-about.png). The pictures show the windows' client areas: with no
# window manager on the display, nobody draws the frames.
#
# Usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR
# Needs Debian's wine, xvfb, xauth, xdotool, x11-apps (xwd) and netpbm.
set -u

if [ "${1:-}" != "--inside" ]; then
  exe=${1:?usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR}
  out=${2:?usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR}
  exec timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    bash "$0" --inside "$exe" "$out"
fi
exe=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_window.sh"

mkdir -p "$out"
use_wine_prefix morvex-wine-screenshots
start_morvex "$exe" || exit 1
capture() { # WINDOW FILE
  xwd -id "$1" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out/$2" || fail "could not capture $2"
  echo "wrote $out/$2"
}
capture "$main" win32-main-en.png
click_dialog_unit 370 105 # Nederlands
capture "$main" win32-main-nl.png
click_dialog_unit 370 118 # Deutsch
capture "$main" win32-main-de.png
click_dialog_unit 370 92 # English again
about=$(open_about_box) || exit 1
capture "$about" win32-about.png
close_about_box "$about" || exit 1
quit_morvex
