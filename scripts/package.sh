#!/bin/sh
# Makes the release in dist/ from the commit checked out (HEAD), never from
# the working tree: HEAD is exported into a fresh folder and the saver alone
# is built there from nothing, so uncommitted changes and an earlier build
# tree cannot reach it. dist/ gets saver-VERSION.zip holding saver.scr and
# README.TXT (the notes for Windows users, plain ASCII with CRLF line ends,
# from docs/README.TXT.in), with saver.scr, saver.scr.debug, SHA256SUMS
# (naming the zip and saver.scr) and BUILDINFO (the commit and the versions
# of the tools that made it) beside it. VERSION is the product version of the
# saver's version record. The zip stores its files uncompressed, with fixed
# times, order and permissions, so its bytes depend on the files alone and
# not on the zlib that Python links. Leaves out any signing.
# Usage: package.sh
# Exit codes: 0 made, 2 not a git checkout with a commit, 1 anything else.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib/env.sh"

NOT_A_COMMIT=2
TOOLCHAIN=cmake/mingw-i686.cmake
# The Debian packages of what builds the saver, named in BUILDINFO.
COMPILER_PACKAGE=g++-mingw-w64-i686-posix
BINUTILS_PACKAGE=binutils-mingw-w64-i686
HEADERS_PACKAGE=mingw-w64-i686-dev

# SAVER_SET_UP=1: set-up has run already (the suite's own check packages).
[ "${SAVER_SET_UP:-}" = 1 ] || "$ROOT/scripts/setup.sh"

commit=$(git -C "$ROOT" rev-parse --verify --quiet HEAD 2>/dev/null) || {
    echo "package.sh: $ROOT is not a git checkout with a commit; a release is made from a commit" >&2
    exit $NOT_A_COMMIT
}
changes=$(git -C "$ROOT" status --porcelain)
if [ -n "$changes" ]; then
    echo "package.sh: packaging commit $commit as it is; these changes are not committed and stay out:" >&2
    echo "$changes" >&2
fi

work="$BUILD_ROOT/package"
source="$work/source"
build="$work/build"
staging="$work/staging"
dist="$ROOT/dist"
rm -rf "$work" "$dist"
mkdir -p "$source" "$staging" "$dist"
git -C "$ROOT" archive --format=tar -o "$work/source.tar" "$commit"
tar -x -f "$work/source.tar" -C "$source"
cmake -S "$source" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$source/$TOOLCHAIN" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target saver -j"$(nproc)" >/dev/null

version=$(sed -n 's/^ *VALUE "ProductVersion", "\([0-9.]*\)"$/\1/p' "$source/resources/saver.rc")
[ -n "$version" ] || { echo "package.sh: no ProductVersion in resources/saver.rc" >&2; exit 1; }
template="$source/docs/README.TXT.in"
if LC_ALL=C grep -n '[^ -~]' "$template"; then
    echo "package.sh: docs/README.TXT.in is not plain ASCII" >&2
    exit 1
fi

zip="saver-$version.zip"
cp "$build/saver.scr" "$build/saver.scr.debug" "$dist/"
hash=$(sha256sum "$dist/saver.scr" | cut -d' ' -f1)
sed -e "s/@VERSION@/$version/g" -e "s/@SAVER_SHA256@/$hash/g" -e 's/$/\r/' "$template" >"$staging/README.TXT"

python3 - "$dist/$zip" "$dist/saver.scr" "$staging/README.TXT" <<'PYTHON'
import os
import sys
import zipfile

EARLIEST_ZIP_TIME = (1980, 1, 1, 0, 0, 0)
MADE_ON_UNIX = 3
PLAIN_FILE_RW_R_R = 0o100644
# Zip 2.0, Python's own choice, written out so that it cannot move.
ZIP_VERSION = 20

with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for path in sys.argv[2:]:
        entry = zipfile.ZipInfo(os.path.basename(path), EARLIEST_ZIP_TIME)
        entry.create_system = MADE_ON_UNIX
        entry.create_version = entry.extract_version = ZIP_VERSION
        entry.external_attr = PLAIN_FILE_RW_R_R << 16
        entry.compress_type = zipfile.ZIP_STORED
        with open(path, "rb") as data:
            archive.writestr(entry, data.read())
PYTHON

(cd "$dist" && sha256sum "$zip" saver.scr >SHA256SUMS)

# What made the release, for whoever rebuilds it and gets another file. The
# versions come from the tools themselves and from their Debian packages.
cxx=$(sed -n 's/^set(CMAKE_CXX_COMPILER \([^ )]*\))$/\1/p' "$source/$TOOLCHAIN")
deb_version() {
    dpkg-query -W -f="Debian package $1 \${Version}" "$1" 2>/dev/null || echo "no Debian package $1"
}
headers=$(printf '#include <_mingw_mac.h>\n__MINGW64_VERSION_STR\n' | "$cxx" -E -P -x c++ - | tr -d '" ')
{
    echo "commit: $commit"
    echo "compiler: $("$cxx" --version | head -n 1), $(deb_version $COMPILER_PACKAGE)"
    echo "binutils: $("$("$cxx" -print-prog-name=ld)" --version | head -n 1), $(deb_version $BINUTILS_PACKAGE)"
    echo "MinGW-w64 headers: $headers, $(deb_version $HEADERS_PACKAGE)"
    echo "CMake: $(cmake --version | head -n 1)"
    echo "Python (writes the zip): $(python3 --version 2>&1)"
    echo "system: $(. /etc/os-release && echo "$PRETTY_NAME")"
} >"$dist/BUILDINFO"

ls -l "$dist"
