#!/bin/sh
# Runs a command with a private virtual X display (Xvfb with GLX) and a Wine
# session of its own (wine-session.sh: a prefix copied from the prepared one,
# and one wineserver kept alive for the command's whole length), then ends
# both. Another run's programs and registry are never touched.
# Usage: with-display.sh COMMAND [ARGS...]
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/lib/env.sh"

SCREEN_SIZE="${SAVER_SCREEN:-1024x768x24}"
START_TIMEOUT_TENTHS=100

# The server picks a free display itself and writes its number once it
# accepts connections. A number free in this /tmp may be taken by a server
# that has another /tmp (the Wine 10 root's, or the machine's), since all
# share one namespace of abstract sockets; the server sees that, this script
# would not.
workdir=$(mktemp -d "${TMPDIR:-/tmp}/saver-xvfb.XXXXXX")
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 "$SCREEN_SIZE" +extension GLX -nolisten tcp 3>"$workdir/display" >/dev/null 2>&1 &
xvfb_pid=$!
tries=0
until [ -s "$workdir/display" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt "$START_TIMEOUT_TENTHS" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "with-display.sh: Xvfb did not start" >&2
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$(head -1 "$workdir/display")"

status=0
"$ROOT/scripts/lib/wine-session.sh" "$@" || status=$?
exit $status
