#!/bin/sh
# Runs the saver under Wine. On a display: full screen until a key, a click or
# a mouse move ends it. Without a display: on a private virtual display for a
# few seconds, writing PNG frames to build/frames/, then closing it with a key.
# Usage: run.sh [--configure | --preview]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

mode="${1:---saver}"
case "$mode" in
    --saver) switch="/s" ;;
    --configure) switch="/c" ;;
    --preview) switch="preview" ;;
    *) echo "usage: run.sh [--configure | --preview]" >&2; exit 2 ;;
esac

"$ROOT/scripts/setup.sh"
# The shipped saver is the i686 build; where 32-bit programs cannot start,
# the x86_64 build of the same sources stands in for it.
if can_run_win32; then
    tree=i686; wine="$WINE32"
else
    tree=x86_64; wine="$WINE64"
    echo "note: this machine cannot start 32-bit programs; running the x86_64 build"
fi
"$ROOT/scripts/build.sh" "$tree" >/dev/null
saver="$BUILD_ROOT/$tree/saver.scr"
host="$BUILD_ROOT/$tree/tests/win/e2e/saver_host.exe"

run_mode() {
    if [ "$switch" = preview ]; then
        "$wine" "$host" preview "$saver" "/p %u" 10000
    else
        "$wine" "$saver" "$switch"
    fi
}

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    status=0
    run_mode || status=$?
    echo "saver exit code: $status"
    exit 0
fi

# Headless: show it on a private display and keep frames a person can open.
frames="$BUILD_ROOT/frames"
rm -rf "$frames"
mkdir -p "$frames"
export RUN_ROOT="$ROOT" RUN_SWITCH="$switch" RUN_WINE="$wine" RUN_SAVER="$saver" RUN_HOST="$host" RUN_FRAMES="$frames"
"$ROOT/scripts/with-display.sh" sh -c '
    if [ "$RUN_SWITCH" = preview ]; then
        "$RUN_WINE" "$RUN_HOST" preview "$RUN_SAVER" "/p %u" 6000 &
    else
        "$RUN_WINE" "$RUN_SAVER" "$RUN_SWITCH" &
    fi
    pid=$!
    sleep 3
    for i in 1 2 3 4 5; do
        "$RUN_ROOT/scripts/capture-gl.sh" "$RUN_FRAMES/frame-$i.png"
        sleep 0.4
    done
    if [ "$RUN_SWITCH" = /c ]; then
        # With no window manager nothing gives the box the keyboard: a click
        # on its frame does, then Enter presses OK.
        box=$(xdotool search --name "^Another Vexmoor Screen Saver$" | head -1)
        [ -n "$box" ] && xdotool mousemove --window "$box" 5 5 click 1
        sleep 0.5
        xdotool key Return
    else
        xdotool key space
    fi
    status=0
    wait $pid || status=$?
    echo "saver exit code: $status"
'
echo "frames written to $frames"
