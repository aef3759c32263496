#!/bin/sh
# The headless half of run.sh, run inside with-display.sh: starts one mode of
# the saver, waits until it shows (bounded), records it into FRAMES with
# record-gl.py (for full screen also FRAMES/saver.gif; for full screen on
# several monitors, inside with-monitors.sh, also FRAMES/monitors.png, a still
# of every monitor), ends it as a user would and prints its exit code. Leaves
# out building and the display.
# Usage: headless-run.sh /s|/c|preview|monitors WINE SAVER HOST FRAMES
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
switch="$1" wine="$2" saver="$3" host="$4" frames="$5"

# Time for the first picture: a cold Wine start can take many seconds.
SHOW_TIMEOUT=60
FOCUS_TIMEOUT=10
POLL_SECONDS=0.1
# Long enough for one turn of the wobble (about 4.2 s at 100 frames/s).
GIF_SECONDS=5
# The five stills of the other modes, 0.4 s apart; a second apart on the
# monitors' desktop, whose bigger picture takes about that long to capture.
STILL_SECONDS=2
MONITORS_STILL_SECONDS=5
# The test host closes the preview window after this long.
PREVIEW_MS=6000
BOX_TITLE="Another Vexmoor Screen Saver"
# X's focus value for "the window under the pointer".
POINTER_ROOT=1

# Runs COMMAND until it succeeds; fails after SECONDS or when the saver is gone.
wait_until() {
    deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        kill -0 "$pid" 2>/dev/null || return 1
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep "$POLL_SECONDS"
    done
}

# WINDOW shows something other than black.
drawn() {
    max=$(import -silent -window "$1" -format '%[max]' info: 2>/dev/null) || return 1
    [ "${max%.*}" -gt 0 ]
}

gl_drawn() {
    window=$("$ROOT/scripts/lib/gl-window.py") || return 1
    drawn "$window"
}

box_drawn() {
    box=$(xdotool search --name "^$BOX_TITLE\$" | head -1)
    [ -n "$box" ] && drawn "$box"
}

# Keys typed now go to the box: the X focus is on it or one of its children,
# or it is PointerRoot (X's own, with no window manager) and the pointer is there.
box_has_keyboard() {
    [ -n "${box:-}" ] || return 1
    focus=$(xdotool getwindowfocus -f 2>/dev/null) || return 1
    if [ "$focus" -eq "$POINTER_ROOT" ]; then
        focus=$(xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p')
    fi
    for window in $box $(xwininfo -id "$box" -tree | awk '$1 ~ /^0x/ { print $1 }'); do
        [ "$((window))" -eq "$focus" ] && return 0
    done
    return 1
}

# Records SECONDS [--gif FILE] into FRAMES; a failed recording still lets the
# saver be ended and its exit code shown.
record() {
    python3 "$ROOT/scripts/lib/record-gl.py" "$frames" "$@" || echo "note: the recording failed" >&2
}

case "$switch" in
    preview) "$wine" "$host" preview "$saver" "/p %u" "$PREVIEW_MS" & ;;
    monitors) "$wine" "$saver" /s & ;;
    *) "$wine" "$saver" "$switch" & ;;
esac
pid=$!

if [ "$switch" = /c ]; then
    wait_until "$SHOW_TIMEOUT" box_drawn || echo "note: no about box after $SHOW_TIMEOUT s" >&2
    record "$STILL_SECONDS"
    # A click on the box makes it the active window, which Wine then gives
    # the keyboard (no window manager runs here), and Enter presses OK.
    [ -n "${box:-}" ] && xdotool mousemove --window "$box" 5 5 click 1
    wait_until "$FOCUS_TIMEOUT" box_has_keyboard || echo "note: the about box did not get the keyboard" >&2
    xdotool key Return
else
    wait_until "$SHOW_TIMEOUT" gl_drawn || echo "note: no GL picture after $SHOW_TIMEOUT s" >&2
    if [ "$switch" = /s ]; then
        record "$GIF_SECONDS" --gif "$frames/saver.gif"
        xdotool key space
    elif [ "$switch" = monitors ]; then
        record "$MONITORS_STILL_SECONDS"
        # What Wine reports, e.g. "monitors 2: 0,0-800,600 -640,0-0,480",
        # and where the saver's render child is; the host exits with the
        # number of monitors.
        listing=$("$wine" "$host" monitors) || true
        echo "$listing"
        python3 "$ROOT/scripts/lib/monitors-still.py" "$frames/monitors.png" "$listing" ||
            echo "note: no still of the monitors" >&2
        xdotool key space
    else
        record "$STILL_SECONDS"
    fi
fi
status=0
wait "$pid" || status=$?
echo "saver exit code: $status"
