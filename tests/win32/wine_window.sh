# Helpers of the scripts that drive morvex.exe under Wine on a virtual X
# display, sourced by them. Every wait has a limit, so that nothing hangs.
#
# Each script runs in a Wine prefix of its own ($1 of use_wine_prefix): a
# Wine server serves one X display, and the other Windows tests share the
# common prefix, on no display at all. The server is ended on exit.

caption='Morvex Version 3.1 - File Converter for Mapsource GDB files'
about_caption='About Morvex'
# The main dialog's size in dialog units (win32/morvex.rc), for clicks at
# positions given in dialog units.
dialog_width=440
dialog_height=229

# Outside the virtual display: checks the tools and runs the script ($1)
# again inside one, with "--inside" before its arguments; ends with 77
# (skipped) where a tool is missing.
run_inside_virtual_display() {
  script=$1
  shift
  for tool in wine winepath wineserver xvfb-run Xvfb xauth xdotool; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIP: $(basename "$script") needs $tool (scripts/install-deps)"
      exit 77
    fi
  done
  exec timeout 280 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    bash "$script" --inside "$@"
}

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${wine_log:-}" ] && [ -s "$wine_log" ]; then
    echo "--- wine output ---" >&2
    cat "$wine_log" >&2
  fi
  [ -n "${wine_pid:-}" ] && kill "$wine_pid" 2>/dev/null
  exit 1
}

use_wine_prefix() {
  export WINEPREFIX=$here/../../build-windows/wine/$1
  mkdir -p "$(dirname "$WINEPREFIX")"
  trap 'wineserver -k 2>/dev/null; [ -n "${wine_log:-}" ] && rm -f "$wine_log"' EXIT
  . "$here/../../scripts/wine-env"
}

# Waits up to $2 tenths of a second for a visible window named exactly $1 and
# prints its id.
wait_window() {
  i=0
  while [ "$i" -lt "$2" ]; do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    i=$((i + 1))
    sleep 0.1
  done
  return 1
}

# Waits up to $2 tenths of a second until no visible window is named $1.
wait_window_gone() {
  i=0
  while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
    i=$((i + 1))
    [ "$i" -lt "$2" ] || return 1
    sleep 0.1
  done
}

# The folder of the settings morvex.exe keeps in the prefix (%APPDATA%\Morvex).
settings_folder() {
  echo "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Morvex"
}

# Starts morvex.exe ($1) and sets main to its window. Each start is a first
# start in an English locale, unless keep_settings is set (the settings of
# the last start stay) or morvex_locale names another locale.
start_morvex() {
  [ -n "${keep_settings:-}" ] || rm -rf "$(settings_folder)"
  wine_log=$(mktemp)
  LC_ALL=${morvex_locale:-C.UTF-8} wine "$@" >"$wine_log" 2>&1 &
  wine_pid=$!
  main=$(wait_window "$caption" 1200) || fail "no window named '$caption' appeared"
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  sleep 0.5 # the first paint
}

# Clicks the main window at a position given in dialog units.
click_dialog_unit() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove --window "$main" $(($1 * WIDTH / dialog_width)) \
    $(($2 * HEIGHT / dialog_height)) click 1
  sleep 0.5
}

# F1 opens the about box; prints its window id.
open_about_box() {
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  xdotool key F1
  found=$(wait_window "$about_caption" 300) || fail "F1 opened no about box"
  sleep 0.5
  echo "$found"
}

# Escape closes the about box ($1).
close_about_box() {
  xdotool windowfocus --sync "$1" || echo "focus failed on $1" >&2; sleep 0.3
  xdotool key Escape
  wait_window_gone "$about_caption" 300 || fail "the about box stayed open after Escape"
}

# Escape (or the key $1) ends the program; fails unless it ends with status 0
# within 30 s.
quit_morvex() {
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  xdotool key "${1:-Escape}"
  i=0
  while kill -0 "$wine_pid" 2>/dev/null; do
    i=$((i + 1))
    [ "$i" -lt 300 ] || fail "morvex still running after ${1:-Escape}"
    sleep 0.1
  done
  wait "$wine_pid"
  status=$?
  [ "$status" -eq 0 ] || fail "morvex ended with status $status"
  wine_pid=
  wait_window_gone "$caption" 50 || fail "the window stayed after the program ended"
}
