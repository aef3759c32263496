#!/bin/sh
# Saves what the saver's GL shows on the current X display to OUT.png: the
# window that gl-window.py finds (under Wine 8 a shot of the root shows black
# where the model is), or the root when there is no GL window.
# Usage: capture-gl.sh OUT.png
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
out="$1"
window=$("$ROOT/scripts/lib/gl-window.py" || echo root)
import -silent -window "$window" "$out"
