#!/bin/sh
# The whole test suite: installs what is missing, builds the native tree and
# the Windows trees, and runs every test, the Windows ones under Wine on a
# private virtual display. Exits non-zero when any test fails.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/env.sh"

"$ROOT/scripts/setup.sh"

# The i686 tree is the shipped saver and is always built; its Windows tests run
# only where 32-bit Wine can start. The x86_64 tree runs the same code there.
trees="native x87 x86_64 i686"
for tree in $trees; do
    "$ROOT/scripts/build.sh" "$tree"
done

run_trees="native x87 x86_64"
if can_run_win32; then
    run_trees="$run_trees i686"
else
    echo "note: this machine cannot start 32-bit programs; the i686 tree gets only its static checks"
    run_trees="$run_trees i686-static"
fi

log="$BUILD_ROOT/test-results.txt"
: > "$log"
status=0
for tree in $run_trees; do
    case "$tree" in
        i686-static) dir="$BUILD_ROOT/i686"; filter="-L static" ;;
        *) dir="$BUILD_ROOT/$tree"; filter="" ;;
    esac
    echo "== tests of $tree"
    out="$BUILD_ROOT/ctest-$tree.txt"
    # shellcheck disable=SC2086
    "$ROOT/scripts/with-display.sh" ctest --test-dir "$dir" --output-on-failure $filter >"$out" 2>&1 || status=1
    cat "$out"
    cat "$out" >>"$log"
done

passed=$(grep -c "^ *[0-9]*/[0-9]* Test *#[0-9]*: .* Passed" "$log" || true)
failed=$(grep -c "^ *[0-9]*/[0-9]* Test *#[0-9]*: .*\*\*\*" "$log" || true)
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
# A run that found no tests proves nothing and must not pass.
[ "$passed" -gt 0 ] || { echo "no tests ran"; status=1; }
exit $status
