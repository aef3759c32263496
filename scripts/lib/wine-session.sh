#!/bin/sh
# Runs a command in a Wine session of its own on the current X display: a
# prefix that starts from copies of the current one's registry and shares its
# drive_c, made in a moment and leaving the current prefix untouched, with a
# wineserver of its own. So a run's registry changes and its wineserver's end
# touch no other run. Wine keeps its monitor list per wineserver, read from
# the display its first program ran on, so a command on another X server
# than the current session's needs one too. Tells Wine that no window
# manager runs there, unless SAVER_WINE_MANAGED=Y says one does. Ends the
# session and removes its prefix afterwards; leaves out the X server.
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

# One wineserver for the whole command. The first program of a new
# wineserver starts Wine's background services; start them here, detached
# from the command's output, so they do not hold its pipes open (ctest would
# wait on them until its time-out). That first program also tells Wine that
# no window manager runs on this display.
"$WINESERVER" -p >/dev/null 2>&1 || true
wine_manages_windows "${SAVER_WINE_MANAGED:-N}"
status=0
"$@" || status=$?
exit $status
