#!/bin/sh
# Configures and builds one tree: native, x87 (portable code in 32-bit x87 code, emulated), i686 (the shipped saver) or x86_64.
# Usage: build.sh native|x87|i686|x86_64
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

target="$1"
dir="$BUILD_ROOT/$target"
case "$target" in
    native) set -- ;;
    i686) set -- -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE32" ;;
    x87) set -- -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/linux-i686-x87.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/qemu-i386-static ;;
    x86_64) set -- -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE64" ;;
    *) echo "build.sh: unknown target $target" >&2; exit 2 ;;
esac
cmake -S "$ROOT" -B "$dir" -DBUILD_TESTING=ON "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
