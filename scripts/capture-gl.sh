#!/bin/sh
# Saves what the saver's GL shows on the current X display to OUT.png.
# Wine draws the GL of a child window (the saver's render child) into an X
# window of its own, redirected off screen and copied into place, so a shot
# of the root shows black where the model is: this takes the largest window
# without a name, which is that GL window, and the root when there is none.
# Usage: capture-gl.sh OUT.png
set -eu
out="$1"
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
import -window "${id:-root}" "$out"
