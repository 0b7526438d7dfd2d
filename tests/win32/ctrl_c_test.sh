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
# A prefix of its own: a Ctrl+C may reach every program of a Wine
# server's console.
export WINEPREFIX=$root/build-windows/wine/ctrl-c
source "$root/scripts/wine-env"

work=$(mktemp -d "${TMPDIR:-/tmp}/morvex-ctrl-c.XXXXXX")
writer=
trap '[[ -n "$writer" ]] && kill "$writer" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
mkfifo feed

new_files() { find . -maxdepth 1 -name '.out.gdb.morvex-*' | wc -l; }

# Starts a run that reads the input but for its last bytes from a FIFO and then
# waits on it; stops it with the signal once its new file exists. Prints the count of
# new files left.
stop_run() {
  local signal=$1
  echo "keep" >out.gdb
  { head -c "$(($(stat -c %s "$input") - 7))" "$input"; exec sleep 60; } >feed 2>/dev/null &
  writer=$!
  wine "$convert" --quiet feed out.gdb >/dev/null 2>&1 &
  local run=$!
  for _ in $(seq 100); do
    [[ $(new_files) -gt 0 ]] && break
    sleep 0.1
  done
  pkill "-$signal" -f 'morvex-convert\.exe --quiet feed' || true
  for _ in $(seq 100); do
    kill -0 "$run" 2>/dev/null || break
    sleep 0.1
  done
  kill "$writer" 2>/dev/null || true
  wait "$run" 2>/dev/null || true
  writer=
  new_files
  [[ "$(cat out.gdb)" == "keep" ]] || { echo "the output changed ($signal)"; exit 1; }
}

left=$(stop_run KILL)
[[ "$left" -eq 1 ]] || { echo "no new file seen before the stop ($left)"; exit 1; }
rm -f .out.gdb.morvex-*
left=$(stop_run INT)
[[ "$left" -eq 0 ]] || { echo "Ctrl+C left $left new file(s)"; exit 1; }
echo "ctrl_c_test: the new file is removed on Ctrl+C, the output kept"
