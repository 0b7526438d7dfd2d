#!/bin/sh
# Starts the real morvex on a virtual X display, waits for its window, checks
# what the window manager would see (caption, a smallest size and room to grow, icon), closes the
# window with Escape as a user would, and checks that the program ended with
# status 0 and left no window behind.
#
# Usage: smoke_test.sh PATH_TO_MORVEX
# Needs Debian's xvfb, xauth, x11-utils and xdotool.
set -u

caption='Morvex Version 3.1 - File Converter for Mapsource GDB files'

if [ "${1:-}" != "--inside" ]; then
  morvex=${1:?usage: smoke_test.sh PATH_TO_MORVEX}
  missing=
  for tool in xvfb-run Xvfb xauth xwininfo xprop xdotool; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
  done
  if [ -n "$missing" ]; then
    echo "smoke test needs$missing: apt-get install xvfb xauth x11-utils xdotool" >&2
    exit 1
  fi
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh "$0" --inside "$morvex"
fi

morvex=$2
log=$(mktemp)
# The settings the window keeps go here, not into the user's own.
config=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$config"' EXIT
fail() {
  echo "FAIL: $*" >&2
  echo "--- morvex output ---" >&2
  cat "$log" >&2
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  exit 1
}

XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb "$morvex" >"$log" 2>&1 &
pid=$!

# Wait for the window to be mapped, or for the program to end without one.
wid=
i=0
while [ -z "$wid" ]; do
  kill -0 "$pid" 2>/dev/null || fail "morvex ended before its window appeared"
  i=$((i + 1))
  [ $i -le 600 ] || fail "no window named '$caption' appeared"
  sleep 0.1
  wid=$(xdotool search --onlyvisible --name "^$caption\$" 2>/dev/null | head -n 1)
done

xwininfo -root -tree | grep -F "\"$caption\"" >/dev/null || fail "window not in the tree"
xwininfo -id "$wid" | grep -q 'Map State: IsViewable' || fail "window not viewable"
hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
min=$(echo "$hints" | sed -n 's/.*minimum size: \([0-9]* by [0-9]*\).*/\1/p')
max=$(echo "$hints" | sed -n 's/.*maximum size: \([0-9]* by [0-9]*\).*/\1/p')
[ -n "$min" ] && [ "$min" != "$max" ] || fail "window has no smallest size or cannot grow: $hints"
xprop -id "$wid" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "no 32x32 window icon"

# Escape closes the dialog, and with it the program.
xdotool windowfocus --sync "$wid" key Escape || fail "could not send Escape"
i=0
while kill -0 "$pid" 2>/dev/null; do
  i=$((i + 1))
  [ $i -le 600 ] || fail "morvex still running after Escape"
  sleep 0.1
done
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "morvex ended with status $status"
if xwininfo -root -tree | grep -F "\"$caption\"" >/dev/null; then
  fail "window still there after the program ended"
fi
[ -f "$config/Morvex/Morvex.conf" ] || fail "no settings kept at Escape"
echo "smoke test passed: window appeared, closed with Escape, status 0"
