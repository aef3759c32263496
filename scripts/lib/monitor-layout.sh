#!/bin/sh
# Changes the monitors of the current X display (Xorg with the dummy driver,
# as with-monitors.sh starts it) while programs run: turns RandR outputs on
# at a size and place, moves or resizes them, or turns them off, all in one
# step. Each size gets a custom mode, so any size works, portrait too.
# Outputs not named stay as they are. Positions are X root coordinates;
# xrandr then moves every output by as much as puts the leftmost and topmost
# edges at 0. Leaves out which output is primary (the dummy driver makes the
# first one primary) and waiting for programs to see the change.
# Usage: monitor-layout.sh OUTPUT=WIDTHxHEIGHT+X+Y | OUTPUT=off ...
# e.g.   monitor-layout.sh DUMMY1=800x600+0+0 DUMMY3=off
set -eu

REFRESH_HZ=60
# Blanking of the custom modes; the dummy driver shows nothing, so any will do.
H_BLANK=32
V_BLANK=3

mode_exists() {
    xrandr --verbose | grep -q "^  $1 ("
}

# Makes a mode named SIZE_custom for SIZE (WIDTHxHEIGHT) once per X server.
custom_mode() {
    name="$1_custom"
    if ! mode_exists "$name"; then
        width=${1%x*} height=${1#*x}
        htotal=$((width + H_BLANK)) vtotal=$((height + V_BLANK))
        khz=$((htotal * vtotal * REFRESH_HZ / 1000))
        xrandr --newmode "$name" "$((khz / 1000)).$(printf %03d $((khz % 1000)))" \
            "$width" $((width + 8)) $((width + 16)) "$htotal" \
            "$height" $((height + 1)) $((height + 2)) "$vtotal"
    fi
    echo "$name"
}

[ $# -gt 0 ] || { echo "usage: monitor-layout.sh OUTPUT=WIDTHxHEIGHT+X+Y | OUTPUT=off ..." >&2; exit 2; }
set_outputs=""
for item in "$@"; do
    output=${item%%=*} place=${item#*=}
    if [ "$place" = off ]; then
        set_outputs="$set_outputs --output $output --off"
        continue
    fi
    size=${place%%+*} position=${place#*+}
    mode=$(custom_mode "$size")
    xrandr --addmode "$output" "$mode"
    set_outputs="$set_outputs --output $output --mode $mode --pos ${position%%+*}x${position#*+}"
done
# shellcheck disable=SC2086
xrandr $set_outputs
# The dummy driver shows an output it has just turned on as connected only
# after a probe, and Wine reads the outputs without probing: a plain query
# probes them.
xrandr >/dev/null
