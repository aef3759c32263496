#!/bin/sh
# Prints the id of the X window that shows the saver's GL on the current
# display, and fails when there is none. Wine draws the GL of a child window
# (the saver's render child) into an X window of its own, redirected off
# screen and copied into place; that window has no name and is the largest
# such one. Leaves out taking any picture of it.
# Usage: gl-window.sh
set -eu
id=$(xwininfo -root -tree | awk '
    /\(has no name\)/ {
        for (i = 1; i <= NF; i++) {
            if ($i ~ /^[0-9]+x[0-9]+[+-]/) {
                split($i, size, /[x+-]/)
                area = size[1] * size[2]
                if (area > best) { best = area; id = $1 }
            }
        }
    }
    END { if (best > 1) print id }')
[ -n "$id" ] || exit 1
echo "$id"
