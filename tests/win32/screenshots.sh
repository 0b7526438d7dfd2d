#!/usr/bin/env bash
# Writes pictures of the Windows morvex.exe, run under Wine on a virtual X
# display, to OUT_DIR: the window in English, Dutch and German and the about
# box (win32-main-en.png, win32-main-nl.png, win32-main-de.png,
# win32-about.png), at 96 DPI and at 192 DPI (the @2x files). The pictures
# show the windows' client areas: with no window manager on the display,
# nobody draws the frames.
#
# Usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR
# Needs Debian's wine, xvfb, xauth, xdotool, x11-apps (xwd) and netpbm.
set -u

if [ "${1:-}" != "--inside" ]; then
  exe=${1:?usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR}
  out=${2:?usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR}
  exec timeout 300 xvfb-run -a -s "-screen 0 2560x1600x24 -nolisten tcp" \
    bash "$0" --inside "$exe" "$out"
fi
exe=$2
out=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_window.sh"

mkdir -p "$out"
use_wine_prefix morvex-wine-screenshots

capture() { # WINDOW FILE
  xdotool mousemove 0 0 # no button lit up under the pointer
  sleep 0.3
  xwd -id "$1" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out/$2" || fail "could not capture $2"
  echo "wrote $out/$2"
}

# The system's DPI, which the program, aware of it, follows.
set_dpi() {
  for key in 'HKCU\Control Panel\Desktop' \
    'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
      fail "could not set the DPI to $1"
  done
  wineserver -w
}

for scale in 1 2; do
  suffix=$([ "$scale" -eq 2 ] && echo @2x)
  set_dpi $((96 * scale))
  start_morvex "$exe"
  capture "$main" "win32-main-en$suffix.png"
  click_dialog_unit 370 105 # Nederlands
  capture "$main" "win32-main-nl$suffix.png"
  click_dialog_unit 370 118 # Deutsch
  capture "$main" "win32-main-de$suffix.png"
  about=$(open_about_box) || exit 1
  capture "$about" "win32-about$suffix.png"
  close_about_box "$about" || exit 1
  quit_morvex
done
