#!/bin/sh
# Benchmark, not a test: the saver in full-screen mode against three
# references on the same 1 ms timer, under Wine on a private virtual display:
# the same scene drawn by the saver's own render code in a child window over a
# plain full-screen window, as the saver draws it (the like-for-like
# reference, its ratio the headline); the same in one plain top-level window
# (so that the cost of drawing in a child stays visible); and a program that
# only clears and swaps. Runs them in turn for some rounds and prints one
# table. Then, on an X server whose monitors can change,
# the saver on three monitors against the saver on one monitor of the same
# desktop rectangle, and a second table. The figures are native code's: where
# 32-bit programs start only through QEMU's emulator, they are the x86_64
# build's, and a third table follows, of the shipped i686 saver and both
# same-scene references, all emulated, for the saver's ratios.
# Usage: bench.sh [SECONDS] [ROUNDS]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib/env.sh"
seconds="${1:-6}"
rounds="${2:-5}"
PROGRAMS=4
# Emulated, the saver and the two same-scene references, without clear+swap.
EMULATED_PROGRAMS=3
LAYOUTS=2
# Per run beyond SECONDS: start-up, the wait for the exit, and a margin.
RUN_MARGIN_SECONDS=40
SETUP_MARGIN_SECONDS=120

"$ROOT/scripts/setup.sh"
# The figures are native code's: the shipped i686 saver where 32-bit programs
# start natively, else the x86_64 build. Where they start only emulated, the
# shipped one's ratios to the same-scene references, all emulated, follow.
start=$(win32_start)
native_tree "$start" measuring
bench="$BUILD_ROOT/bench"
mkdir -p "$bench"
link="-static -static-libgcc -static-libstdc++"
libs="-lopengl32 -lglu32 -lgdi32 -luser32"
# The renderer's sources without the render child, which belongs to the shell.
render_sources=""
for source in "$ROOT"/render/*.cpp "$ROOT"/render/model/*.cpp; do
    [ "${source##*/}" = render_child.cpp ] || render_sources="$render_sources $source"
done

# Builds TREE's saver and the three references, compiled with the flags the
# tree compiles the saver's code with, so the same-scene ones run the
# renderer's code as the saver does.
build_programs() {
    "$ROOT/scripts/lib/build.sh" "$1" saver >/dev/null
    cxx="$2"
    flags_file="$BUILD_ROOT/$1/CMakeFiles/saver_core.dir/flags.make"
    flags=$(sed -n 's/^CXX_FLAGS = //p' "$flags_file")
    [ -n "$flags" ] || { echo "bench.sh: no compile flags in $flags_file" >&2; exit 1; }
    # shellcheck disable=SC2086
    "$cxx" $flags $link -o "$bench/minimal_gl-$1.exe" "$ROOT/bench/minimal_gl.cpp" $libs
    # shellcheck disable=SC2086
    "$cxx" $flags -I"$ROOT" $link -o "$bench/same_scene-$1.exe" "$ROOT/bench/same_scene.cpp" $render_sources $libs
    # shellcheck disable=SC2086
    "$cxx" $flags -I"$ROOT" $link -o "$bench/same_scene_child-$1.exe" "$ROOT/bench/same_scene_child.cpp" \
        $render_sources $libs
}

case "$tree" in
    i686) wine="$WINE32"; build_programs i686 i686-w64-mingw32-g++-posix ;;
    *) wine="$WINE64"; build_programs x86_64 x86_64-w64-mingw32-g++-posix ;;
esac
echo "build: $tree"
python3 "$ROOT/scripts/harness" display \
    timeout $((rounds * PROGRAMS * (seconds + RUN_MARGIN_SECONDS) + SETUP_MARGIN_SECONDS)) \
    python3 "$ROOT/bench/measure.py" "$wine" "$BUILD_ROOT/$tree/saver.scr" \
    "$bench/same_scene_child-$tree.exe" "$bench/same_scene-$tree.exe" "$bench/minimal_gl-$tree.exe" \
    "$seconds" "$rounds"
echo
python3 "$ROOT/scripts/harness" display --monitors \
    timeout $((rounds * LAYOUTS * (seconds + RUN_MARGIN_SECONDS) + SETUP_MARGIN_SECONDS)) \
    python3 "$ROOT/bench/measure.py" monitors "$wine" "$BUILD_ROOT/$tree/saver.scr" "$seconds" "$rounds"
[ "$start" = emulated ] || exit 0

echo
echo "build: i686, the shipped saver, emulated by QEMU: its own figures are the emulator's; its ratios to the" \
    "same-scene references, emulated too, are what compare"
build_programs i686 i686-w64-mingw32-g++-posix
python3 "$ROOT/scripts/harness" display \
    timeout $((rounds * EMULATED_PROGRAMS * (seconds + RUN_MARGIN_SECONDS) + SETUP_MARGIN_SECONDS)) \
    python3 "$ROOT/bench/measure.py" "$WINE32" "$BUILD_ROOT/i686/saver.scr" "$bench/same_scene_child-i686.exe" \
    "$bench/same_scene-i686.exe" - "$seconds" "$rounds"
