#!/usr/bin/env bash
# Runs the Windows morvex.exe under Wine on a virtual X display: the first
# start in a German locale shows German, and the language, option 6, 500 via
# points and one route per track chosen then come back after a restart in an
# English locale, where a conversion uses them. Before that conversion
# replaces the output typed by hand, a Yes/No box asks: No (the default)
# leaves the file and runs nothing, Yes converts.
#
# Usage: settings_test.sh MORVEX_EXE MORVEX_CONVERT_EXE MORVEX_GDBGEN_EXE
# Ends with status 77 (skipped) where Wine, Xvfb or xdotool are missing.
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_window.sh"
if [ "${1:-}" != "--inside" ]; then
  [ $# -eq 3 ] || { echo "usage: settings_test.sh MORVEX_EXE MORVEX_CONVERT_EXE MORVEX_GDBGEN_EXE" >&2; exit 2; }
  run_inside_virtual_display "$0" "$@"
fi
exe=$2
convert_exe=$3
gdbgen_exe=$4
use_wine_prefix morvex-wine-settings

scratch=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$scratch" "${wine_log:-}"' EXIT
windows_scratch=$(winepath -w "$scratch")
# Tracks of 800 points: one route per track differs from routes of 500.
timeout 120 wine "$gdbgen_exe" --kind tracks --version l --size 40K --seed 5 \
  --track-points 800 "$windows_scratch\\trip.gdb" >/dev/null 2>&1 ||
  fail "morvex-gdbgen.exe could not write the input"
for flag in --one-route ""; do
  timeout 120 wine "$convert_exe" --option 6 --max-vias 500 $flag --quiet \
    "$windows_scratch\\trip.gdb" "$windows_scratch\\expected$flag.gdb" >/dev/null 2>&1 ||
    fail "morvex-convert.exe could not convert"
done
cmp -s "$scratch/expected.gdb" "$scratch/expected--one-route.gdb" &&
  fail "the input converts the same with and without --one-route"
settings=$(settings_folder)/Morvex.ini

# Closes the box named $1 with the key $2 (Return by default).
close_box() {
  box=$(wait_window "$1" 1200) || fail "no box named '$1' appeared"
  sleep 0.5
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key "${2:-Return}"
  wait_window_gone "$1" 300 || fail "the box '$1' stayed open"
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  sleep 0.5
}
# Fails unless the settings file has the line $1.
has_setting() {
  grep -qxF "$1" "$settings" || fail "no line '$1' in the settings: $(cat "$settings" 2>&1)"
}

# The first start, in a German locale: Convert without an input says so in German.
morvex_locale=de_DE.UTF-8 start_morvex "$exe"
[ ! -e "$settings" ] || fail "settings before the first start ended"
xdotool key Return
close_box "Datei Fehler"
click_dialog_unit 20 162 # option 6, which enables the via field
xdotool key Tab          # the via field, its text selected
sleep 0.3
xdotool type --delay 20 500
xdotool key Tab space # the one-route box under the via field
quit_morvex
has_setting Language=de
has_setting Option=6
has_setting MaxVias=500
has_setting OneRoute=1

# Restarted in an English locale on the file, with an output that exists typed by hand.
printf 'old output' >"$scratch/out.gdb"
keep_settings=1 start_morvex "$exe" "$windows_scratch\\trip.gdb"
xdotool key Tab Tab # the input's Browse button, then the output path
xdotool type --delay 20 "$windows_scratch\\out.gdb"
xdotool key Return
close_box Info Return # the question; Enter answers No
wait_window Fertig 20 >/dev/null && fail "the run went on after No"
[ "$(cat "$scratch/out.gdb")" = "old output" ] || fail "No did not leave the output as it was"
xdotool key Return
close_box Info y
close_box Fertig # the German completion box
cmp "$scratch/expected--one-route.gdb" "$scratch/out.gdb" ||
  fail "the output differs from morvex-convert.exe's with option 6, 500 via points and --one-route"
xdotool key Return # the same output again: no question this time
close_box Fertig
quit_morvex
has_setting Language=de
has_setting Option=6
has_setting MaxVias=500
has_setting OneRoute=1
has_setting "InputFolder=$windows_scratch"
has_setting "OutputFolder=$windows_scratch"
echo "Settings test passed: German from the locale, German, option 6, 500 via points and" \
  "one route per track after a restart; No kept the typed output that existed, Yes replaced it"
