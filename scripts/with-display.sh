#!/bin/sh
# Runs a command with a private virtual X display (Xvfb with GLX) and one
# wineserver kept alive for its whole length, then ends both.
# Usage: with-display.sh COMMAND [ARGS...]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

SCREEN_SIZE="${SAVER_SCREEN:-1024x768x24}"
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 "$SCREEN_SIZE" +extension GLX -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done
export DISPLAY=":$display"

cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

"$WINESERVER" -p >/dev/null 2>&1 || true
# The first program of a new wineserver starts Wine's background services;
# start them here, detached from the command's output, so they do not hold
# its pipes open (ctest would wait on them until its time-out). That first
# program also tells Wine that no window manager runs on this display.
wine_manages_windows N
status=0
"$@" || status=$?
exit $status
