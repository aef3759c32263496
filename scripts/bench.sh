#!/bin/sh
# Benchmark, not a test: the saver in full-screen mode against a minimal
# Win32 OpenGL program that clears and swaps on the same 1 ms timer, under
# Wine on a private virtual display. Prints one table.
# Usage: bench.sh [SECONDS]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"
seconds="${1:-10}"

"$ROOT/scripts/setup.sh"
# The shipped i686 saver where 32-bit programs start, else the x86_64 build.
if can_run_win32; then
    tree=i686; wine="$WINE32"; cxx=i686-w64-mingw32-g++-posix
else
    tree=x86_64; wine="$WINE64"; cxx=x86_64-w64-mingw32-g++-posix
    echo "note: this machine cannot start 32-bit programs; measuring the x86_64 build"
fi
"$ROOT/scripts/build.sh" "$tree" >/dev/null
mkdir -p "$BUILD_ROOT/bench"
"$cxx" -O2 -Wall -Wextra -Werror -static -o "$BUILD_ROOT/bench/minimal_gl-$tree.exe" \
    "$ROOT/bench/minimal_gl.cpp" -lopengl32 -lgdi32 -luser32
echo "build: $tree"
"$ROOT/scripts/with-display.sh" timeout $((seconds * 2 + 90)) python3 "$ROOT/bench/measure.py" \
    "$wine" "$BUILD_ROOT/$tree/saver.scr" "$BUILD_ROOT/bench/minimal_gl-$tree.exe" "$seconds"
