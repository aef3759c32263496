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

# The session's start, known to have happened before the command runs: its
# wineserver up, its first program run to a successful end, and Wine's
# background programs (services.exe, which starts the others) running. That
# first program starts them, so they inherit its output, the session's log,
# and never hold the command's pipes open (CTest would wait on them until
# its time-out); a command's own first program would otherwise start them.
# The first program also tells Wine whether a window manager runs here.
BACKGROUND_START_TENTHS=600
session_log="$workdir/start.log"

# Wine's background programs of this session (not another session's).
background_started() {
    for pid in $(pgrep -x services.exe); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" && return 0
    done
    return 1
}

# Starts the session; on a failure, says in $not_started what did not start.
start_session() {
    not_started="the wineserver did not start"
    "$WINESERVER" -p >>"$session_log" 2>&1 || return 1
    not_started="the first program (wine reg add) failed"
    wine_manages_windows "${SAVER_WINE_MANAGED:-N}" >>"$session_log" 2>&1 || return 1
    not_started="Wine's background programs (services.exe) did not start within $((BACKGROUND_START_TENTHS / 10)) s"
    tries=0
    until background_started; do
        tries=$((tries + 1))
        [ "$tries" -le "$BACKGROUND_START_TENTHS" ] || return 1
        sleep 0.1
    done
}

if ! start_session </dev/null; then
    echo "wine-session.sh: $not_started; starting the session once more" >&2
    WINEPREFIX="$prefix" "$WINESERVER" -k >>"$session_log" 2>&1 || true
    WINEPREFIX="$prefix" timeout "$END_TIMEOUT" "$WINESERVER" -w >>"$session_log" 2>&1 || true
    if ! start_session </dev/null; then
        echo "wine-session.sh: the Wine session did not start: $not_started. Its log:" >&2
        cat "$session_log" >&2
        exit 1
    fi
fi
status=0
"$@" || status=$?
exit $status
