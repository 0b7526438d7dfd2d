#!/usr/bin/env bash
# Runs the Windows morvex.exe under Wine on a virtual X display: the first
# start in a German locale shows German, and the language, option 6, 500 via
# points and one route per track chosen then are in %APPDATA%\Morvex\Morvex.ini
# when it ends. Restarted in an English locale, the window reads them back: it
# speaks German, and keeps them for the next start.
#
# Usage: settings_test.sh MORVEX_EXE
# Ends with status 77 (skipped) where Wine, Xvfb or xdotool are missing.
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_window.sh"
if [ "${1:-}" != "--inside" ]; then
  [ $# -eq 1 ] || { echo "usage: settings_test.sh MORVEX_EXE" >&2; exit 2; }
  run_inside_virtual_display "$0" "$@"
fi
exe=$2
use_wine_prefix morvex-wine-settings
settings=$(settings_folder)/Morvex.ini

# Convert without an input says so in German, in a box that Enter closes.
expect_german() {
  xdotool key Return
  box=$(wait_window "Datei Fehler" 1200) || fail "no German box ('Datei Fehler') appeared"
  sleep 0.5
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key Return
  wait_window_gone "Datei Fehler" 300 || fail "the box 'Datei Fehler' stayed open"
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  sleep 0.5
}
# Fails unless the settings file has the line $1.
has_setting() {
  grep -qxF "$1" "$settings" || fail "no line '$1' in the settings: $(cat "$settings" 2>&1)"
}
has_chosen_settings() {
  has_setting Language=de
  has_setting Option=6
  has_setting MaxVias=500
  has_setting OneRoute=1
}

morvex_locale=de_DE.UTF-8 start_morvex "$exe"
[ ! -e "$settings" ] || fail "settings before the first start ended"
expect_german
click_dialog_unit 20 162 # option 6, which enables the via field
xdotool key Tab          # the via field, its text selected
sleep 0.3
xdotool type --delay 20 500
xdotool key Tab space # the one-route box under the via field
quit_morvex
has_chosen_settings

keep_settings=1 start_morvex "$exe"
expect_german
quit_morvex
has_chosen_settings
echo "Settings test passed: German from the locale at the first start; German, option 6," \
  "500 via points and one route per track kept in Morvex.ini and read back after a restart"
