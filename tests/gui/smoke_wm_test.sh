#!/bin/sh
# Starts the real morvex on a copy of a GDB file, as a file manager does, on a
# virtual X display run by a real window manager (openbox): checks that the
# manager framed the window, made it active and lets it be maximised and
# resized, and that a resize takes; presses Enter, which converts the file to the output name the window
# suggests beside it, and checks the completion box and that the output is what
# morvex-convert makes; then closes the window with Alt+F4, through the window
# manager, and checks that the program ended with status 0.
#
# Usage: smoke_wm_test.sh PATH_TO_MORVEX PATH_TO_MORVEX_CONVERT INPUT_GDB
# Needs Debian's xvfb, xauth, x11-utils, xdotool and openbox.
set -u

caption='Morvex Version 3.1 - File Converter for Mapsource GDB files'

if [ "${1:-}" != "--inside" ]; then
  [ $# -eq 3 ] || {
    echo "usage: smoke_wm_test.sh PATH_TO_MORVEX PATH_TO_MORVEX_CONVERT INPUT_GDB" >&2
    exit 2
  }
  missing=
  for tool in xvfb-run Xvfb xauth xprop xdotool openbox; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
  done
  if [ -n "$missing" ]; then
    echo "smoke test needs$missing: apt-get install xvfb xauth x11-utils xdotool openbox" >&2
    exit 1
  fi
  exec timeout 170 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh "$0" --inside "$@"
fi

morvex=$2
convert=$3
input=$4
scratch=$(mktemp -d)
log=$scratch/morvex.log
# The window starts as on a first start and keeps its settings in here.
export XDG_CONFIG_HOME=$scratch/config
wm_pid=
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null; rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  echo "--- morvex output ---" >&2
  cat "$log" >&2
  exit 1
}

# Waits up to 60 s for a visible window named exactly $1 and prints its id.
wait_window() {
  i=0
  while [ $i -lt 600 ]; do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null || return 1
    i=$((i + 1))
    sleep 0.1
  done
  return 1
}

# Waits up to 60 s until process $1 has ended.
wait_ended() {
  i=0
  while kill -0 "$1" 2>/dev/null; do
    i=$((i + 1))
    [ $i -le 600 ] || return 1
    sleep 0.1
  done
}

"$convert" --quiet "$input" "$scratch/expected.gdb" >/dev/null 2>&1 ||
  fail "morvex-convert could not convert $input"
cp "$input" "$scratch/trip.gdb"

openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
wm_pid=$!
# The manager is up once it has named itself on the root window.
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
  i=$((i + 1))
  [ $i -le 300 ] || { cat "$scratch/openbox.log" >&2; fail "openbox did not start"; }
  sleep 0.1
done

# Started from another folder with a relative path, which the window shows
# made absolute.
start_morvex() {
  (cd "$scratch" && QT_QPA_PLATFORM=xcb exec "$morvex" trip.gdb) >>"$log" 2>&1 &
  pid=$!
}

# What the display and the program were doing when the window did not come.
describe_start() {
  echo "--- windows on $DISPLAY ---" >&2
  xwininfo -root -tree 2>&1 | grep -v 'has no name' | head -n 40 >&2
  echo "--- morvex process ---" >&2
  ps -o pid,stat,wchan:32,etime,args -p "$pid" >&2 2>/dev/null || echo "ended" >&2
}

start_morvex
if ! wid=$(wait_window "$caption"); then
  # Seen once in a full parallel test run and never since: a start whose
  # window did not come within a minute. Say what was seen, then give the
  # program one more start; a second miss fails.
  describe_start
  kill "$pid" 2>/dev/null
  wait_ended "$pid"
  echo "no window after the first start; starting once more" >&2
  start_morvex
  wid=$(wait_window "$caption") || { describe_start; fail "no window named '$caption' appeared"; }
fi

frame=$(xprop -id "$wid" _NET_FRAME_EXTENTS)
echo "$frame" | grep -q '= [0-9]' || fail "the window manager did not frame the window: $frame"
i=0
until xprop -root _NET_ACTIVE_WINDOW | grep -qi "$(printf '0x%x' "$wid")"; do
  i=$((i + 1))
  [ $i -le 300 ] || fail "the window did not become the active one"
  sleep 0.1
done
actions=$(xprop -id "$wid" _NET_WM_ALLOWED_ACTIONS)
echo "$actions" | grep -q '_NET_WM_ACTION_CLOSE' || fail "the window cannot be closed: $actions"
for action in MAXIMIZE_HORZ MAXIMIZE_VERT RESIZE; do
  echo "$actions" | grep -q "_NET_WM_ACTION_$action" ||
    fail "the window manager does not offer $action: $actions"
done
width_of() { xwininfo -id "$wid" | sed -n 's/^ *Width: //p'; }
wider=$(($(width_of) + 150))
xdotool windowsize "$wid" "$wider" 600
i=0
until [ "$(width_of)" = "$wider" ]; do
  i=$((i + 1))
  [ $i -le 100 ] || fail "the window did not grow to $wider pixels: $(width_of)"
  sleep 0.1
done

# The focus starts in the input field, which holds the file: Enter converts it
# to the name suggested beside it.
xdotool key Return
done_box=$(wait_window Finished) || fail "no completion box ('Finished') appeared"
xdotool windowactivate --sync "$done_box" 2>/dev/null || true
xdotool key Return
i=0
while xdotool search --onlyvisible --name '^Finished$' >/dev/null 2>&1; do
  i=$((i + 1))
  [ $i -le 600 ] || fail "the completion box stayed open"
  sleep 0.1
done
[ -f "$scratch/trip-tracks.gdb" ] || fail "nothing was written to the suggested trip-tracks.gdb"
cmp "$scratch/expected.gdb" "$scratch/trip-tracks.gdb" ||
  fail "the window's output differs from morvex-convert's"

# Alt+F4 asks the window manager to close the window.
xdotool windowactivate --sync "$wid" 2>/dev/null || true
xdotool key alt+F4
wait_ended "$pid" || fail "morvex still running after Alt+F4"
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || fail "morvex ended with status $status"
if xdotool search --name "^$caption\$" >/dev/null 2>&1; then
  fail "window still there after the program ended"
fi
echo "smoke test with a window manager passed: started on a file, converted it to the" \
  "suggested output, closed with Alt+F4, status 0"
