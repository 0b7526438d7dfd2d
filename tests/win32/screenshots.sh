#!/usr/bin/env bash
# Writes pictures of the Windows morvex.exe, run under Wine on a virtual X
# display, to OUT_DIR: the window in English, Dutch and German and the about
# box (win32-main-en.png, win32-main-nl.png, win32-main-de.png,
# win32-about.png), and in each language the box of a run of option 1 on
# examples/example.gdb that completed, with its summary (win32-done-en.png,
# ...), and the box of a run refused for an output folder that does not exist,
# with the reason (win32-error-en.png, ...), and the preview of the example
# for options 1 and 5 (win32-preview-1.png, win32-preview-5.png), and, where a
# file with a long track is given, of that for option 5 with 25 vias, in
# pieces and in one route (win32-preview-5-long.png,
# win32-preview-5-long-one-route.png), and in each language the window during
# a run, with its progress and Stop (win32-run-en.png, ...), and in each
# language the window maximised, its preview zoomed in with its legend and
# status line (win32-maximised-en.png, ...); at 96 DPI and at 192 DPI (the
# @2x files). The pictures show the windows' client areas: with no window
# manager on the display, nobody draws the frames. Only the maximised window
# is shown with one (openbox), which Wine asks to maximise it.
#
# Usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR [LONG_TRACK_GDB]
# Needs Debian's wine, xvfb, xauth, xdotool, x11-apps (xwd) and netpbm; and
# openbox for the maximised window.
set -u

if [ "${1:-}" != "--inside" ]; then
  exe=${1:?usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR}
  out=${2:?usage: screenshots.sh PATH_TO_MORVEX_EXE OUT_DIR}
  exec timeout 600 xvfb-run -a -s "-screen 0 2560x1600x24 -nolisten tcp" \
    bash "$0" --inside "$exe" "$out" "${3:-}"
fi
exe=$2
out=$3
long_track=$4
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

example=$here/../../examples/example.gdb
scratch=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$scratch" "${wine_log:-}"' EXIT
cp "$example" "$scratch/example.gdb"
windows_input=$(winepath -w "$scratch/example.gdb")
if [ -n "$long_track" ]; then
  cp "$long_track" "$scratch/long-track.gdb"
  windows_long_track=$(winepath -w "$scratch/long-track.gdb")
fi
windows_scratch=$(winepath -w "$scratch")
# The input of the runs in progress: a FIFO, whose reader waits for the bytes
# the script has yet to write.
held=$scratch/held.gdb
mkfifo "$held" || fail "could not make a FIFO"
windows_held=$(winepath -w "$held")
# A folder that is not there in the prefix.
missing_folder_output='C:\users\anna\trips\2027\alps-2027-tracks.gdb'

# The language's mnemonics: input path, output path, Convert.
mnemonics() {
  case $1 in
    en) echo "alt+i alt+o alt+c" ;;
    nl) echo "alt+i alt+u alt+c" ;;
    de) echo "alt+e alt+a alt+k" ;;
  esac
}

# Types the input and output paths into the window and converts; captures the
# box that ends the run, named $4, to $5, and closes it.
convert_and_capture() { # LANGUAGE INPUT OUTPUT BOX_TITLE FILE
  read -r input_key output_key convert_key <<<"$(mnemonics "$1")"
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  sleep 0.5
  xdotool key --delay 150 "$input_key"
  xdotool type --delay 10 "$2"
  xdotool key --delay 150 "$output_key"
  xdotool type --delay 10 "$3"
  xdotool key --delay 150 "$convert_key"
  box=$(wait_window "$4" 600) || fail "no box '$4' appeared for $5"
  sleep 0.5
  capture "$box" "$5"
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key Return
  wait_window_gone "$4" 300 || fail "the box '$4' stayed open"
}

# The boxes that end a run, in each language: completed and refused.
capture_boxes() { # SUFFIX
  for language in en nl de; do
    case $language in
      en) click_dialog_unit 370 92; done_title=Finished; error_title='File error' ;;
      nl) click_dialog_unit 370 105; done_title=Klaar; error_title=Bestandsfout ;;
      de) click_dialog_unit 370 118; done_title=Fertig; error_title='Datei Fehler' ;;
    esac
    convert_and_capture "$language" "$windows_input" "$windows_scratch\\example-tracks-$language$1.gdb" \
      "$done_title" "win32-done-$language$1.png"
    [ -f "$scratch/example-tracks-$language$1.gdb" ] || fail "the run in $language wrote nothing"
    convert_and_capture "$language" "$windows_input" "$missing_folder_output" \
      "$error_title" "win32-error-$language$1.png"
  done
}

# In each language a run of the FIFO that has its first bytes and waits for
# the rest: captured with its progress, stopped with Escape once the rest
# comes, and the box that says so closed.
capture_runs() { # SUFFIX
  for language in en nl de; do
    case $language in
      en) click_dialog_unit 370 92 ;;
      nl) click_dialog_unit 370 105 ;;
      de) click_dialog_unit 370 118 ;;
    esac
    read -r input_key output_key convert_key <<<"$(mnemonics "$language")"
    exec 3<>"$held"
    head -c 300 "$example" >&3
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    sleep 0.5
    xdotool key --delay 150 "$input_key"
    xdotool type --delay 10 "$windows_held"
    xdotool key --delay 150 "$output_key"
    xdotool type --delay 10 "$windows_scratch\\held-$language$1.gdb"
    xdotool key --delay 150 "$convert_key"
    sleep 2 # the progress shows once the run has gone on half a second
    capture "$main" "win32-run-$language$1.png"
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key Escape
    tail -c +301 "$example" >&3
    box=$(wait_window Info 300) || fail "no box said that the run in $language stopped"
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    wait_window_gone Info 300 || fail "the box of the stopped run stayed open"
    exec 3>&-
  done
}

# Shows the preview with the button's mnemonic, captures it to $1 and hides
# it again: the controls are clicked while it is hidden, as the window is
# wider while it shows.
capture_preview() { # FILE
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  xdotool key --delay 150 alt+v
  sleep 2
  capture "$main" "$1"
  # The capture moved the pointer off the window, and the keys with it.
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  xdotool key --delay 150 alt+v
  sleep 0.5
}

# The input path typed into its field; leaving the field takes it up.
type_input() { # WINDOWS_PATH
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  xdotool key --delay 150 alt+i ctrl+a
  xdotool type --delay 10 "$1"
  xdotool key --delay 150 Tab
}

# The preview in English of the example for options 1 and 5, then of the long
# track for option 5 with 25 vias, without and with the one-route box.
capture_previews() { # SUFFIX
  click_dialog_unit 370 92 # English
  type_input "$windows_input"
  for option in 1 5; do
    click_dialog_unit 20 $((92 + 14 * (option - 1)))
    capture_preview "win32-preview-$option$1.png"
  done
  [ -n "$long_track" ] || return 0
  type_input "$windows_long_track"
  click_dialog_unit 302 190 # the via field
  xdotool key --delay 150 ctrl+a
  xdotool type --delay 50 25
  capture_preview "win32-preview-5-long$1.png"
  click_dialog_unit 20 209 # Keep each track in one route
  capture_preview "win32-preview-5-long-one-route$1.png"
}

# Clicks the window at a position given in dialog units, $3 pixels a unit
# across and $4 down (the window's scale before it grew).
click_scaled() { # X Y PIXELS_ACROSS PIXELS_DOWN (each a hundredth of a unit)
  xdotool mousemove --window "$main" $(($1 * $3 / 100)) $(($2 * $4 / 100)) click 1
  sleep 0.5
}

# The window of the example, maximised by the window manager through the
# window menu, its preview shown and zoomed in three notches of the wheel
# over the middle of the pane, in each language.
capture_maximised() { # SUFFIX
  if ! command -v openbox >/dev/null 2>&1; then
    echo "no openbox: no pictures of the maximised window"
    return 0
  fi
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  sleep 1
  start_morvex "$exe" "$windows_input"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  across=$((WIDTH * 100 / dialog_width))
  down=$((HEIGHT * 100 / dialog_height))
  xdotool key --delay 300 alt+space x
  sleep 2
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  xdotool key --delay 150 alt+v
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$main")"
  [ "$WIDTH" -gt 2000 ] || fail "the window was not maximised: $WIDTH pixels wide"
  pane_x=$(((440 * across / 100 + WIDTH) / 2))
  pane_y=$(((74 * down / 100 + HEIGHT) / 2))
  xdotool mousemove --window "$main" "$pane_x" "$pane_y" click --repeat 3 --delay 300 4
  sleep 1
  capture "$main" "win32-maximised-en$1.png"
  click_scaled 370 105 "$across" "$down" # Nederlands
  capture "$main" "win32-maximised-nl$1.png"
  click_scaled 370 118 "$across" "$down" # Deutsch
  capture "$main" "win32-maximised-de$1.png"
  quit_morvex
  kill "$wm_pid" 2>/dev/null
  wait "$wm_pid" 2>/dev/null
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
  capture_boxes "$suffix"
  capture_runs "$suffix"
  capture_previews "$suffix"
  quit_morvex
  capture_maximised "$suffix"
done
