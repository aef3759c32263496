#!/bin/sh
# The whole test suite: installs what is missing, then builds the native tree
# and the Windows trees and runs every test, the Windows ones under Wine on a
# private virtual display (scripts/harness/suite.py). Exits non-zero when any
# test fails.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib/env.sh"

echo "== set-up"
"$ROOT/scripts/setup.sh"

start=$(win32_start)
if [ "$start" = none ] && grep -qsx enabled "$I386_ENTRY"; then
    # A registered emulator that does not start Wine must not turn the suite
    # into the stand-in's without a word.
    echo "test.sh: QEMU's emulator is registered for 32-bit programs ($I386_ENTRY), but 32-bit Wine does not start" >&2
    exit 1
fi
exec python3 "$ROOT/scripts/harness" suite "$start"
