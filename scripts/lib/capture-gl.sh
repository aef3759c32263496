#!/bin/sh
# Saves what the saver's GL shows on the current X display to OUT.png: the
# window that gl-window.py finds (under Wine 8 a shot of the root shows black
# where the model is). Fails when there is none: a saver that has gone has
# no picture.
# Usage: capture-gl.sh OUT.png
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
out="$1"
window=$("$ROOT/scripts/lib/gl-window.py") || { echo "capture-gl.sh: the saver has no GL window" >&2; exit 1; }
import -silent -window "$window" "$out"
