#!/bin/sh
# Runs the saver under Wine. On a display: full screen until a key, a click or
# a mouse move ends it. Without a display: on a private virtual display for a
# few seconds, writing PNG frames (and, full screen, an animated GIF) to
# build/frames/, then closing it as a user would. --monitors runs it full
# screen on a desktop of three monitors (with-monitors.sh: an Xorg server of
# its own with no screen to see, so with a display too) the same way, and
# keeps a still of all of them, build/frames/monitors.png.
# Usage: run.sh [--configure | --preview | --monitors]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

mode="${1:---saver}"
case "$mode" in
    --saver) switch="/s" ;;
    --configure) switch="/c" ;;
    --preview) switch="preview" ;;
    --monitors) switch="monitors" ;;
    *) echo "usage: run.sh [--configure | --preview | --monitors]" >&2; exit 2 ;;
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

if [ "$switch" != monitors ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    # A desktop's own window manager places and focuses the windows.
    wine_manages_windows Y
    status=0
    run_mode || status=$?
    echo "saver exit code: $status"
    exit 0
fi

# Headless: show it on a private display and keep frames a person can open.
# The monitors' desktop is such a display whether or not there is another.
frames="$BUILD_ROOT/frames"
rm -rf "$frames"
mkdir -p "$frames"
server="$ROOT/scripts/with-display.sh"
if [ "$switch" = monitors ]; then
    server="$ROOT/scripts/with-monitors.sh"
    [ -z "${DISPLAY:-}" ] ||
        echo "note: the three monitors are an X server with no screen; the saver runs there and leaves stills"
fi
"$server" "$ROOT/scripts/headless-run.sh" "$switch" "$wine" "$saver" "$host" "$frames"
echo "frames written to $frames"
