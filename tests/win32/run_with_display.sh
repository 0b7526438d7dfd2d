#!/bin/bash
# Runs a Windows test program under Wine on a virtual display, in a Wine prefix
# of its own. A program that makes windows must not share a prefix with
# programs started without a display: the prefix's desktop process belongs to
# whichever program started first, and without a display no window opens.
#
# Usage: run_with_display.sh PREFIX_NAME EMULATOR PROGRAM [ARGS...]
# Ends with status 77 (skipped) where Xvfb is missing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" != "--inside" ]; then
  command -v xvfb-run >/dev/null || exit 77
  exec xvfb-run -a -s '-screen 0 1280x1024x24 -nolisten tcp' bash "$0" --inside "$@"
fi
shift
. "$here/wine_window.sh"
use_wine_prefix "$1"
shift
"$@"
status=$?
exit "$status"
