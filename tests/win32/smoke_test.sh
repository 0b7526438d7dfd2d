#!/usr/bin/env bash
# Runs the Windows morvex.exe under Wine on a virtual X display as a user
# would: opens it on the input file (as "Open with" does), types an output
# path, chooses Dutch and option 6, presses Enter for Convert, closes the
# completion box, checks that the output equals what morvex-convert.exe makes
# of the same input, opens the about box with F1 and closes it with Escape.
# Then the same from the keyboard alone: mnemonics to the output path and the
# input path, Tab through the path controls to the options, an arrow to option
# 5, Tab to the via field (24, refused), past the one-route box to the
# languages, an arrow to English, Enter; the languages' mnemonic and Shift+Tab
# back to the via field, 300, Enter. Escape ends the program. Started once
# more, Alt+Q ends it.
#
# Usage: smoke_test.sh MORVEX_EXE MORVEX_CONVERT_EXE INPUT_GDB
# Ends with status 77 (skipped) where Wine, Xvfb or xdotool are missing.
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_window.sh"
if [ "${1:-}" != "--inside" ]; then
  [ $# -eq 3 ] || { echo "usage: smoke_test.sh MORVEX_EXE MORVEX_CONVERT_EXE INPUT_GDB" >&2; exit 2; }
  run_inside_virtual_display "$0" "$@"
fi
exe=$2
convert_exe=$3
input=$(cd "$(dirname "$4")" && pwd)/$(basename "$4")
use_wine_prefix morvex-wine-smoke

scratch=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$scratch" "${wine_log:-}"' EXIT
timeout 120 wine "$convert_exe" --option 6 --language nl --quiet "$input" "$scratch/expected.gdb" \
  >/dev/null 2>&1 || fail "morvex-convert.exe could not convert $input"
timeout 120 wine "$convert_exe" --option 5 --max-vias 300 --language en --quiet "$input" \
  "$scratch/expected-keys.gdb" >/dev/null 2>&1 || fail "morvex-convert.exe could not convert $input"
windows_input=$(winepath -w "$input")
windows_output=$(winepath -w "$scratch")\\actual.gdb
windows_output_keys=$(winepath -w "$scratch")\\keys.gdb

# Started on a file, the window shows it as the input path; the focus starts
# there, the first tab stop.
start_morvex "$exe" "$windows_input"
xdotool key Tab Tab # its Browse button, then the output path
xdotool type --delay 20 "$windows_output"
click_dialog_unit 370 105 # Nederlands
click_dialog_unit 20 162  # option 6, which keeps the focus
xdotool key Return        # on a radio button: Convert, the default button
done_box=$(wait_window Klaar 1200) || fail "no Dutch completion box ('Klaar') appeared"
xdotool windowfocus --sync "$done_box" 2>/dev/null || true
xdotool key Return
wait_window_gone Klaar 300 || fail "the completion box stayed open"

[ -f "$scratch/actual.gdb" ] || fail "no output file was written"
cmp "$scratch/expected.gdb" "$scratch/actual.gdb" ||
  fail "the window's output differs from morvex-convert.exe's"

about=$(open_about_box) || exit 1
close_about_box "$about" || exit 1

# The keyboard alone, from the Dutch texts the first run left. The keys go
# slowly, with a pause after each group: on a busy machine Wine is slow to
# move the focus, and a key sent too early goes astray.
settle_on_main() {
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  sleep 1
}
settle_on_main
keys() {
  xdotool key --delay 150 "$@"
  sleep 0.5
}
keys alt+u # Uitvoer bestand: its field, the text selected
xdotool type --delay 20 "$windows_output_keys"
keys alt+i Tab Tab Tab Tab # input path, its Browse, output path, its Browse, option 6
keys Up                    # option 5, which enables the via field
keys Tab                   # the via field, its text selected
xdotool type --delay 20 24
keys Tab Tab Up # the one-route box, the languages: Nederlands, then English
keys Return # Convert, which refuses 24 via points
error_box=$(wait_window Error 600) || fail "no English box refusing 24 via points ('Error') appeared"
xdotool windowfocus --sync "$error_box" 2>/dev/null || true
xdotool key Return
wait_window_gone Error 300 || fail "the error box stayed open"
settle_on_main
keys alt+l shift+Tab shift+Tab # the languages (English), back to the via field
xdotool type --delay 20 300
keys Return
if ! done_box=$(wait_window Finished 600); then
  wait_window Error 10 >/dev/null && fail "the via field still held 24: 300 went elsewhere"
  fail "no English completion box ('Finished') appeared"
fi
xdotool windowfocus --sync "$done_box" 2>/dev/null || true
xdotool key Return
wait_window_gone Finished 300 || fail "the completion box stayed open"
[ -f "$scratch/keys.gdb" ] || fail "no output file was written from the keyboard"
cmp "$scratch/expected-keys.gdb" "$scratch/keys.gdb" ||
  fail "the keyboard run's output differs from morvex-convert.exe's (option 5, 300 vias, English)"

quit_morvex

# Started again, the English Quit's mnemonic ends it.
rm -f "$wine_log"
start_morvex "$exe"
quit_morvex alt+q
echo "smoke test passed: converted in Dutch with option 6, from the keyboard in English" \
  "with option 5, about box, quit with Escape and with Alt+Q"
