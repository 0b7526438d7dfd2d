#!/usr/bin/env bash
# Runs the Windows morvex.exe under Wine on a virtual X display through a
# conversion with three "Info" boxes (tracks skipped by option 5): checking
# the first box's check box hides the other two, so that the completion box
# comes next, which Enter closes; the next run shows its "Info" boxes again,
# and Escape closes its completion box. Escape stops a run that waits for its
# input, and the box that says so waits for its answer.
#
# Usage: info_boxes_test.sh MORVEX_EXE MORVEX_GDBGEN_EXE
# Ends with status 77 (skipped) where Wine, Xvfb or xdotool are missing.
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_window.sh"
if [ "${1:-}" != "--inside" ]; then
  [ $# -eq 2 ] || { echo "usage: info_boxes_test.sh MORVEX_EXE MORVEX_GDBGEN_EXE" >&2; exit 2; }
  run_inside_virtual_display "$0" "$@"
fi
exe=$2
gdbgen_exe=$3
use_wine_prefix morvex-wine-info-boxes

scratch=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$scratch" "${wine_log:-}"' EXIT
windows_scratch=$(winepath -w "$scratch")
# Tracks of 3000 points: the fourth and later ones pass the 10000 points
# option 5 converts, and each is skipped with an "Info" box.
timeout 120 wine "$gdbgen_exe" --kind tracks --version l --size 400K --seed 14 \
  --track-points 3000 "$windows_scratch\\many.gdb" >/dev/null 2>&1 ||
  fail "morvex-gdbgen.exe could not write the input"

# Clicks the box ($1) at a point given from its bottom left or right corner.
click_box() { # WINDOW FROM(left|right) DX DY
  eval "$(xdotool getwindowgeometry --shell "$1")"
  x=$3
  [ "$2" = right ] && x=$((WIDTH - $3))
  xdotool mousemove --window "$1" "$x" $((HEIGHT - $4)) click 1
  sleep 0.7
}
close_info_box() { click_box "$1" right 38 22; } # its OK button
# Waits up to 30 s until the Info box $1 is closed; the next one may open at once.
wait_info_box_closed() {
  i=0
  while xdotool search --onlyvisible --name '^Info$' 2>/dev/null | grep -qx "$1"; do
    i=$((i + 1))
    [ "$i" -lt 300 ] || return 1
    sleep 0.1
  done
}

start_morvex "$exe" "$windows_scratch\\many.gdb"
xdotool key Tab Tab # the input's Browse button, then the output path
xdotool type --delay 20 "$windows_scratch\\out.gdb"
click_dialog_unit 20 148 # option 5
xdotool key Return
info=$(wait_window Info 1200) || fail "no Info box appeared"
sleep 0.5
click_box "$info" left 14 24 # the check box below the text
close_info_box "$info"
wait_window_gone Info 300 || fail "the Info box stayed open"
done_box=$(wait_window Finished 1200) || fail "no completion box ('Finished') appeared"
wait_window Info 5 >/dev/null && fail "an Info box showed after its check box was checked"
xdotool windowfocus --sync "$done_box" 2>/dev/null || true
xdotool key Return
wait_window_gone Finished 300 || fail "the completion box stayed open"

# The next run shows its Info boxes again.
xdotool windowfocus --sync "$main" 2>/dev/null || true
sleep 0.5
xdotool key Return
boxes=0
while info=$(wait_window Info 300); do
  boxes=$((boxes + 1))
  [ "$boxes" -le 3 ] || fail "more than three Info boxes"
  sleep 0.5
  close_info_box "$info"
  wait_info_box_closed "$info" || fail "an Info box stayed open"
  [ "$boxes" -lt 3 ] || break
done
[ "$boxes" -eq 3 ] || fail "the second run showed $boxes Info boxes, not 3"
done_box=$(wait_window Finished 1200) || fail "no completion box after the second run"
xdotool windowfocus --sync "$done_box" 2>/dev/null || true
xdotool key Escape
wait_window_gone Finished 300 || fail "the second completion box stayed open after Escape"

# A run held by an input that waits for more (a FIFO): Escape stops it at the
# next block, and Enter, on Stop, too. The keys go to the window as they come:
# the box that says the run stopped stays until it is answered, and the output
# that was there is unchanged.
mkfifo "$scratch/held.gdb"
exec 3<>"$scratch/held.gdb"
head -c 300 "$scratch/many.gdb" >&3
cp "$scratch/out.gdb" "$scratch/kept.gdb"
click_dialog_unit 20 92 # option 1, for which the rest of the input has no box
xdotool key --delay 150 alt+i
xdotool type --delay 20 "$windows_scratch\\held.gdb"
xdotool key --delay 150 Return
question=$(wait_window Info 300) || fail "no question whether to replace the output"
xdotool windowfocus --sync "$question" 2>/dev/null || true
xdotool key y
wait_info_box_closed "$question" || fail "the question stayed open after Yes"
sleep 1.5 # the run waits for its input
xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key Escape Return
tail -c +301 "$scratch/many.gdb" | head -c 4096 >&3
stopped=$(wait_window Info 300) || fail "no box said that the run stopped after Escape"
sleep 2
xdotool search --onlyvisible --name '^Info$' | grep -qx "$stopped" ||
  fail "the box of the stopped run closed unanswered"
xdotool windowfocus --sync "$stopped" 2>/dev/null || true
xdotool key Return
wait_info_box_closed "$stopped" || fail "the box of the stopped run stayed open"
exec 3>&-
wait_window Finished 10 >/dev/null && fail "the run went on to its end after Escape"
cmp -s "$scratch/kept.gdb" "$scratch/out.gdb" || fail "the stopped run changed the output"

quit_morvex
echo "Info boxes test passed: a checked box hid the run's other two; the next run showed all" \
  "three; Escape stopped a run, whose box stayed until answered"
