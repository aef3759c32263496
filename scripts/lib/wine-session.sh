#!/bin/sh
# Runs a command in a Wine session of its own on the current X display: a
# prefix that starts from copies of the current one's registry and shares its
# drive_c, made in a moment and leaving the current prefix untouched, with a
# wineserver of its own. Wine keeps its monitor list per wineserver, read
# from the display its first program ran on, so a command on another X
# server than the current session's needs one. Tells Wine that no window
# manager runs there. Ends the session and removes its prefix afterwards;
# leaves out the X server.
# Usage: wine-session.sh COMMAND [ARGS...]
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/lib/env.sh"

END_TIMEOUT=30

workdir=$(mktemp -d "${TMPDIR:-/tmp}/saver-session.XXXXXX")
prefix="$workdir/prefix"

cleanup() {
    # A process's windows can outlive it by a moment, and the session's last
    # registry save goes into the prefix: the wineserver ends before it goes.
    WINEPREFIX="$prefix" "$WINESERVER" -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" timeout "$END_TIMEOUT" "$WINESERVER" -w >/dev/null 2>&1 || true
    rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

mkdir -p "$prefix/dosdevices"
cp "$WINEPREFIX"/*.reg "$WINEPREFIX/.update-timestamp" "$prefix/"
ln -s "$WINEPREFIX/drive_c" "$prefix/dosdevices/c:"
ln -s / "$prefix/dosdevices/z:"
export WINEPREFIX="$prefix"

# As with-display.sh: one wineserver for the whole command, its background
# services started apart from the command's output by a first program that
# tells Wine no window manager runs on this display.
"$WINESERVER" -p >/dev/null 2>&1 || true
wine_manages_windows N
status=0
"$@" || status=$?
exit $status
