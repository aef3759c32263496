#!/bin/sh
# Runs the saver under Wine. On a display: full screen until a key, a click or
# a mouse move ends it. Without a display: on a private virtual display for a
# few seconds, writing PNG frames (and, full screen, an animated GIF) to
# build/frames/, then closing it as a user would. --monitors runs it full
# screen on a desktop of three monitors (an Xorg server of its own with no
# screen to see, so with a display too) the same way, and keeps a still of
# all of them, build/frames/monitors.png. The harness (scripts/harness) runs
# the displays and the Wine session.
# It runs the shipped i686 saver where 32-bit programs start natively. Where
# they start only through QEMU's user-mode emulator it runs the x86_64 build
# of the same sources instead, at native speed: the model turns by frames, and
# emulated, the saver draws far fewer (an eighth as many here). SAVER_TREE=i686
# runs the shipped file there all the same, SAVER_TREE=x86_64 the x86_64 build
# anywhere.
# Usage: run.sh [--configure | --preview | --monitors]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib/env.sh"

mode="${1:---saver}"
case "$mode" in
    --saver) switch="/s" ;;
    --configure) switch="/c" ;;
    --preview) switch="preview" ;;
    --monitors) switch="monitors" ;;
    *) echo "usage: run.sh [--configure | --preview | --monitors]" >&2; exit 2 ;;
esac

"$ROOT/scripts/setup.sh"
start=$(win32_start)
native_tree "$start" running
[ "$start" != emulated ] || echo "note: emulated, the saver turns far slower; SAVER_TREE=i686 runs the shipped file"
tree="${SAVER_TREE:-$tree}"
case "$tree" in
    i686) [ "$start" != none ] || { echo "run.sh: this machine cannot start 32-bit programs" >&2; exit 2; }
        wine="$WINE32" ;;
    x86_64) wine="$WINE64" ;;
    *) echo "run.sh: SAVER_TREE is i686 or x86_64, not '$tree'" >&2; exit 2 ;;
esac
echo "running $tree/saver.scr"
"$ROOT/scripts/lib/build.sh" "$tree" saver saver_host >/dev/null
saver="$BUILD_ROOT/$tree/saver.scr"
host="$BUILD_ROOT/$tree/tests/win/e2e/saver_host.exe"

if [ "$switch" != monitors ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    if [ "$switch" = preview ]; then
        set -- "$wine" "$host" preview "$saver" "/p %u" 10000
    else
        set -- "$wine" "$saver" "$switch"
    fi
    # A session of its own, so that no test run's programs or registry meet
    # it; a desktop's own window manager places and focuses the windows.
    status=0
    python3 "$ROOT/scripts/harness" session --managed "$@" || status=$?
    echo "saver exit code: $status"
    exit 0
fi

# Headless: show it on a private display and keep frames a person can open.
# The monitors' desktop is such a display whether or not there is another.
frames="$BUILD_ROOT/frames"
rm -rf "$frames"
mkdir -p "$frames"
if [ "$switch" = monitors ] && [ -n "${DISPLAY:-}" ]; then
    echo "note: the three monitors are an X server with no screen; the saver runs there and leaves stills"
fi
python3 "$ROOT/scripts/harness" show "$switch" "$wine" "$saver" "$host" "$frames"
echo "frames written to $frames"
