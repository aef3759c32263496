#!/bin/sh
# Benchmark, not a test: the saver in full-screen mode against two references
# on the same 1 ms timer, under Wine on a private virtual display: the same
# scene drawn by the saver's own render code in one plain window, and a
# program that only clears and swaps. Runs them in turn for some rounds and
# prints one table. Then, on an X server whose monitors can change
# (with-monitors.sh), the saver on three monitors against the saver on one
# monitor of the same desktop rectangle, and a second table.
# Usage: bench.sh [SECONDS] [ROUNDS]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"
seconds="${1:-6}"
rounds="${2:-5}"
PROGRAMS=3
LAYOUTS=2
# Per run beyond SECONDS: start-up, the wait for the exit, and a margin.
RUN_MARGIN_SECONDS=40
SETUP_MARGIN_SECONDS=120

"$ROOT/scripts/setup.sh"
# The shipped i686 saver where 32-bit programs start, else the x86_64 build.
if can_run_win32; then
    tree=i686; wine="$WINE32"; cxx=i686-w64-mingw32-g++-posix
else
    tree=x86_64; wine="$WINE64"; cxx=x86_64-w64-mingw32-g++-posix
    echo "note: this machine cannot start 32-bit programs; measuring the x86_64 build"
fi
"$ROOT/scripts/build.sh" "$tree" >/dev/null
# The references are compiled with the flags the tree compiles the saver's
# code with, so the same-scene one runs the renderer's code as the saver does.
flags_file="$BUILD_ROOT/$tree/CMakeFiles/saver_core.dir/flags.make"
flags=$(sed -n 's/^CXX_FLAGS = //p' "$flags_file")
[ -n "$flags" ] || { echo "bench.sh: no compile flags in $flags_file" >&2; exit 1; }
link="-static -static-libgcc -static-libstdc++"
libs="-lopengl32 -lglu32 -lgdi32 -luser32"
bench="$BUILD_ROOT/bench"
mkdir -p "$bench"
# shellcheck disable=SC2086
"$cxx" $flags $link -o "$bench/minimal_gl-$tree.exe" "$ROOT/bench/minimal_gl.cpp" $libs
# The renderer's sources without the render child, which belongs to the shell.
render_sources=""
for source in "$ROOT"/render/*.cpp "$ROOT"/render/model/*.cpp; do
    [ "${source##*/}" = render_child.cpp ] || render_sources="$render_sources $source"
done
# shellcheck disable=SC2086
"$cxx" $flags -I"$ROOT" $link -o "$bench/same_scene-$tree.exe" "$ROOT/bench/same_scene.cpp" $render_sources $libs
echo "build: $tree"
"$ROOT/scripts/with-display.sh" \
    timeout $((rounds * PROGRAMS * (seconds + RUN_MARGIN_SECONDS) + SETUP_MARGIN_SECONDS)) \
    python3 "$ROOT/bench/measure.py" "$wine" "$BUILD_ROOT/$tree/saver.scr" \
    "$bench/same_scene-$tree.exe" "$bench/minimal_gl-$tree.exe" "$seconds" "$rounds"
echo
"$ROOT/scripts/with-monitors.sh" \
    timeout $((rounds * LAYOUTS * (seconds + RUN_MARGIN_SECONDS) + SETUP_MARGIN_SECONDS)) \
    python3 "$ROOT/bench/measure.py" monitors "$wine" "$BUILD_ROOT/$tree/saver.scr" "$seconds" "$rounds"
