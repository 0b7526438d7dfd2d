#!/usr/bin/env bash
# morvex-convert.exe stopped by Ctrl+C under Wine (which turns SIGINT into the
# console's Ctrl+C event) while it writes a new output file: the new file is
# removed and the output keeps its bytes. A run stopped by SIGKILL, which no
# handler sees, shows that the file is there to remove.
#   ctrl_c_test.sh CONVERT_EXE INPUT_GDB
set -euo pipefail
convert=$1
input=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
# A prefix of its own: a Ctrl+C may reach every program of a Wine server's
# console, and the server ends (below) once this test's run has.
export WINEPREFIX=$root/build-windows/wine/ctrl-c
source "$root/scripts/wine-env"

# Bounds for a loaded machine, far above the few seconds a stage takes.
bound=60
work=$(mktemp -d "${TMPDIR:-/tmp}/morvex-ctrl-c.XXXXXX")
writer=
run=
cleanup() {
  if [[ -n "$run" ]]; then kill -KILL "$run" 2>/dev/null || true; fi
  if [[ -n "$writer" ]]; then kill "$writer" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
mkfifo feed

fail() { echo "$*" >&2; exit 1; }
new_files() { find . -maxdepth 1 -name '*.morvex-*' | wc -l; }

# Starts a run that reads the input but for its last bytes from a FIFO and then
# waits on it, and waits for its new file; false if the run ended first.
start_run() {
  { head -c "$(($(stat -c %s "$input") - 7))" "$input"; exec sleep 600; } >feed 2>/dev/null &
  writer=$!
  # wine execs the program, so that this is its process: the signal goes to it
  # and to no other (a search by name would reach runs of other checkouts).
  wine "$convert" --quiet feed out.gdb >/dev/null 2>run.err &
  run=$!
  disown "$run"  # no note of its end by signal
  local deadline=$((SECONDS + bound))
  until [[ $(new_files) -gt 0 ]]; do
    if ! kill -0 "$run" 2>/dev/null; then
      kill "$writer" 2>/dev/null || true
      run= writer=
      return 1
    fi
    ((SECONDS < deadline)) || fail "no new file within ${bound}s"
    sleep 0.1
  done
}

# Sends a run the signal once its new file exists. The FIFO stays open until
# the run has ended, so that nothing but the signal ends it. Sets left to the
# count of new files left.
stop_run() {
  local signal=$1
  echo "keep" >out.gdb
  # Under Wine, on a busy machine, a start now and then ends at once (see
  # scripts/golden): the run starts once more, and one that cannot make its
  # new file fails again.
  if ! start_run; then
    echo "ctrl_c_test: the run ended before it made its new file: $(head -c 300 run.err); once more" >&2
    start_run || fail "the run ended before it made its new file ($signal): $(head -c 500 run.err)"
  fi
  kill "-$signal" "$run"
  local deadline=$((SECONDS + bound))
  while kill -0 "$run" 2>/dev/null; do
    ((SECONDS < deadline)) || fail "the run outlived its $signal by ${bound}s"
    sleep 0.1
  done
  run=
  # Gone already if the run stopped reading before all was written.
  kill "$writer" 2>/dev/null || true
  writer=
  # A file deleted while open goes with its last handle, which Wine's server
  # closes when it learns of the run's end: after the process has gone. The
  # server itself ends once its last program has.
  timeout "$bound" wineserver --wait || fail "the Wine server outlived the run by ${bound}s"
  left=$(new_files)
  [[ "$(cat out.gdb)" == "keep" ]] || fail "the output changed ($signal)"
}

stop_run KILL
[[ "$left" -eq 1 ]] || fail "no new file seen before the stop ($left)"
find . -maxdepth 1 -name '*.morvex-*' -delete
stop_run INT
[[ "$left" -eq 0 ]] || fail "Ctrl+C left $left new file(s)"
echo "ctrl_c_test: the new file is removed on Ctrl+C, the output kept"
