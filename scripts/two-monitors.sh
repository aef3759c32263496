#!/bin/sh
# Runs a command on a desktop of two monitors of different sizes side by side,
# 800x600 and 640x480 with their tops aligned: Xephyr with two screens,
# Xinerama on and RandR off (Wine then reads the monitors from Xinerama),
# nested in the current X display, with a Wine session of its own there
# (wine-session.sh). Ends Xephyr after the session.
# Usage: two-monitors.sh COMMAND [ARGS...]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

START_TIMEOUT_TENTHS=100

workdir=$(mktemp -d "${TMPDIR:-/tmp}/saver-monitors.XXXXXX")
# Xephyr picks a free display itself and writes its number once it accepts
# connections.
Xephyr -displayfd 3 -screen 800x600 -screen 640x480 +xinerama -extension RANDR +extension GLX -nolisten tcp \
    3>"$workdir/display" >"$workdir/xephyr.log" 2>&1 &
xephyr_pid=$!

cleanup() {
    kill "$xephyr_pid" 2>/dev/null || true
    wait "$xephyr_pid" 2>/dev/null || true
    rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

tries=0
until [ -s "$workdir/display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt "$START_TIMEOUT_TENTHS" ] || ! kill -0 "$xephyr_pid" 2>/dev/null; then
        echo "two-monitors.sh: Xephyr did not start" >&2
        cat "$workdir/xephyr.log" >&2
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$(head -1 "$workdir/display")"

status=0
"$ROOT/scripts/wine-session.sh" "$@" || status=$?
exit $status
