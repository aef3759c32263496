#!/bin/sh
# Configures and builds one tree: native, x87 (portable code in 32-bit x87 code, emulated), i686 (the shipped saver) or x86_64.
# A cross tree whose compilers are missing is not configured at all, and one
# whose cache names tools other than its toolchain's (left by a configure that
# ran before the cross tools were installed) is configured again from scratch.
# Leaves out installing anything: that is setup.sh's work.
# Usage: build.sh native|x87|i686|x86_64 [TARGET...]  (no target: all of them)
# Exit codes: 0 built, 2 unknown tree, 3 the tree's compilers are not
# installed, anything else from CMake or the build.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/lib/env.sh"

USAGE_ERROR=2
TOOLS_MISSING=3
# Cache entries that hold a program's path but are not one of the toolchain's
# binary tools. A tool the toolchain lacks (x87 has no dlltool) is NOTFOUND.
NOT_TOOLCHAIN_ENTRIES="CMAKE_MAKE_PROGRAM CMAKE_TOOLCHAIN_FILE"

target="${1:-}"
[ $# -gt 0 ] && shift
targets="$*"
dir="$BUILD_ROOT/$target"
toolchain=""
case "$target" in
    native) set -- ;;
    i686) toolchain="$ROOT/cmake/mingw-i686.cmake"; set -- -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE32" ;;
    x87) toolchain="$ROOT/cmake/linux-i686-x87.cmake"; set -- -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/qemu-i386-static ;;
    x86_64) toolchain="$ROOT/cmake/mingw-x86_64.cmake"; set -- -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE64" ;;
    *) echo "build.sh: unknown tree '$target'; use native, x87, i686 or x86_64" >&2; exit $USAGE_ERROR ;;
esac

# CMake looks for ar, objcopy, strip and the rest by the compiler's name. A
# configure without the compiler finds the host's instead and caches them, and
# every later configure keeps them: the saver then comes out different.
# So stop before CMake runs, and throw away a cache that was made so.
if [ -n "$toolchain" ]; then
    compilers=$(sed -n 's/^set(CMAKE_[A-Z]*_COMPILER \([^ )]*\))$/\1/p' "$toolchain")
    for compiler in $compilers; do
        command -v "$compiler" >/dev/null 2>&1 || {
            echo "build.sh: $compiler is not installed, so the $target tree cannot be configured; run ./scripts/setup.sh first" >&2
            exit $TOOLS_MISSING
        }
    done
    cxx=$(sed -n 's/^set(CMAKE_CXX_COMPILER \([^ )]*\))$/\1/p' "$toolchain")
    prefix="${cxx%g++*}"
    cache="$dir/CMakeCache.txt"
    if [ -f "$cache" ]; then
        foreign=$(sed -n 's/^\(CMAKE_[A-Z_]*\):FILEPATH=\(.*\)$/\1 \2/p' "$cache" | while read -r entry path; do
            case " $NOT_TOOLCHAIN_ENTRIES " in *" $entry "*) continue ;; esac
            case "${path##*/}" in "$prefix"* | *-NOTFOUND) ;; *) echo "$entry=$path" ;; esac
        done)
        if [ -n "$foreign" ]; then
            echo "build.sh: $dir was configured with tools that are not ${prefix}*, so it is configured again from scratch:" >&2
            echo "$foreign" >&2
            rm -rf "$dir"
        fi
    fi
    set -- -DCMAKE_TOOLCHAIN_FILE="$toolchain" "$@"
fi
# The tests' Python is Debian's, which set-up installs: the Wine 10 root has
# it at the same path, and a tree records the full path of the one it found.
# Trees without Python tests leave it unused.
cmake -S "$ROOT" -B "$dir" --no-warn-unused-cli -DBUILD_TESTING=ON -DPython3_EXECUTABLE=/usr/bin/python3 "$@" >/dev/null
# shellcheck disable=SC2086
cmake --build "$dir" -j"$(nproc)" ${targets:+--target $targets}
