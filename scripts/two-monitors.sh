#!/bin/sh
# Runs a command on a desktop of two monitors of different sizes side by side,
# 800x600 and 640x480 with their tops aligned: Xephyr with two screens,
# Xinerama on and RandR off (Wine then reads the monitors from Xinerama),
# nested in the current X display. Wine takes its monitor list once per
# wineserver, so the command gets a Wine session of its own there: a prefix
# that starts from copies of the current one's registry and shares its
# drive_c, made in a moment and leaving the current prefix untouched. Ends
# the session and Xephyr afterwards.
# Usage: two-monitors.sh COMMAND [ARGS...]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

START_TIMEOUT_TENTHS=100
END_TIMEOUT=30

workdir=$(mktemp -d "${TMPDIR:-/tmp}/saver-monitors.XXXXXX")
# Xephyr picks a free display itself and writes its number once it accepts
# connections.
Xephyr -displayfd 3 -screen 800x600 -screen 640x480 +xinerama -extension RANDR +extension GLX -nolisten tcp \
    3>"$workdir/display" >"$workdir/xephyr.log" 2>&1 &
xephyr_pid=$!
prefix="$workdir/prefix"

cleanup() {
    # The session's last registry save goes into the prefix before it goes.
    WINEPREFIX="$prefix" "$WINESERVER" -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" timeout "$END_TIMEOUT" "$WINESERVER" -w >/dev/null 2>&1 || true
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

mkdir -p "$prefix/dosdevices"
cp "$WINEPREFIX"/*.reg "$WINEPREFIX/.update-timestamp" "$prefix/"
ln -s "$WINEPREFIX/drive_c" "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
export WINEPREFIX="$prefix"

# As with-display.sh: one wineserver for the whole command, its background
# services started apart from the command's output by a first program that
# tells Wine no window manager runs on the nested display.
"$WINESERVER" -p >/dev/null 2>&1 || true
wine_manages_windows N
status=0
"$@" || status=$?
exit $status
