#!/bin/sh
# Makes the release in dist/: saver-VERSION.zip holding saver.scr and
# README.TXT (the notes for Windows users, plain ASCII with CRLF line ends,
# from docs/README.TXT.in), with saver.scr, saver.scr.debug and SHA256SUMS
# (naming the zip and saver.scr) beside it. VERSION is the product version
# of the saver's version record. The zip has fixed times, order and
# permissions, so the same commit gives the same zip. Builds first if needed,
# and checks what it wrote. Leaves out any signing.
# Usage: package.sh
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" i686 >/dev/null
built="$BUILD_ROOT/i686"
version=$(sed -n 's/^ *VALUE "ProductVersion", "\([0-9.]*\)"$/\1/p' "$ROOT/resources/saver.rc")
[ -n "$version" ] || { echo "package.sh: no ProductVersion in resources/saver.rc" >&2; exit 1; }
template="$ROOT/docs/README.TXT.in"
if LC_ALL=C grep -n '[^ -~]' "$template"; then
    echo "package.sh: $template is not plain ASCII" >&2
    exit 1
fi

dist="$ROOT/dist"
zip="saver-$version.zip"
staging="$BUILD_ROOT/package"
rm -rf "$dist" "$staging"
mkdir -p "$dist" "$staging"
cp "$built/saver.scr" "$built/saver.scr.debug" "$dist/"
hash=$(sha256sum "$dist/saver.scr" | cut -d' ' -f1)
sed -e "s/@VERSION@/$version/g" -e "s/@SAVER_SHA256@/$hash/g" -e 's/$/\r/' "$template" >"$staging/README.TXT"

python3 - "$dist/$zip" "$dist/saver.scr" "$staging/README.TXT" <<'PYTHON'
import os
import sys
import zipfile

EARLIEST_ZIP_TIME = (1980, 1, 1, 0, 0, 0)
MADE_ON_UNIX = 3
PLAIN_FILE_RW_R_R = 0o100644
COMPRESSION_LEVEL = 9

with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for path in sys.argv[2:]:
        entry = zipfile.ZipInfo(os.path.basename(path), EARLIEST_ZIP_TIME)
        entry.create_system = MADE_ON_UNIX
        entry.external_attr = PLAIN_FILE_RW_R_R << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(path, "rb") as data:
            archive.writestr(entry, data.read(), compresslevel=COMPRESSION_LEVEL)
PYTHON

(cd "$dist" && sha256sum "$zip" saver.scr >SHA256SUMS)

# What a user gets must be what was built and what the sums say.
python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("saver.scr"))' \
    "$dist/$zip" >"$staging/saver-from-zip.scr"
cmp "$staging/saver-from-zip.scr" "$built/saver.scr"
(cd "$dist" && sha256sum -c SHA256SUMS)
ls -l "$dist"
