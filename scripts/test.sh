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
for tree in native x87 x86_64; do
    "$ROOT/scripts/build.sh" "$tree"
done

wine_trees="x86_64"
linux_trees="native x87"
if can_run_win32; then
    "$ROOT/scripts/build.sh" i686
    wine_trees="$wine_trees i686"
else
    echo "note: this machine cannot start 32-bit programs; the i686 tree gets only its static checks"
    # They need the saver alone, and neither Wine nor a display.
    "$ROOT/scripts/build.sh" i686 saver
    linux_trees="$linux_trees i686-static"
fi

# Runs the tests of one tree into its own file; fails when one fails. The
# Windows trees run under Wine on the private display. A Wine program has
# been seen, once in many runs, to end at its start with no output at all;
# so a Windows tree's failed tests run once more, into a file of their own,
# and that second run decides. The summary names any test that needed it.
run_tree() {
    out="$BUILD_ROOT/ctest-$1.txt"
    case "$1" in
        native|x87) ctest --test-dir "$BUILD_ROOT/$1" --output-on-failure >"$out" 2>&1 ;;
        i686-static) ctest --test-dir "$BUILD_ROOT/i686" --output-on-failure -L static >"$out" 2>&1 ;;
        *) "$ROOT/scripts/with-display.sh" ctest --test-dir "$BUILD_ROOT/$1" --output-on-failure >"$out" 2>&1 ||
            "$ROOT/scripts/with-display.sh" ctest --test-dir "$BUILD_ROOT/$1" --output-on-failure --rerun-failed \
                >"$BUILD_ROOT/ctest-$1-again.txt" 2>&1 ;;
    esac
}

PASSED_LINE="^ *[0-9]*/[0-9]* Test *#[0-9]*: .* Passed"
FAILED_LINE="^ *[0-9]*/[0-9]* Test *#[0-9]*: .*\*\*\*"
count_lines() {
    grep -c "$1" "$2" || true
}

# The Linux trees keep one core busy (the x87 one under emulation) and need
# neither Wine nor a display, while the Windows trees mostly wait on windows
# and pictures: run both at once, the Windows trees one after the other.
status=0
failed_trees="$BUILD_ROOT/failed-trees.txt"
rm -f "$failed_trees" "$BUILD_ROOT"/ctest-*-again.txt
(
    for tree in $linux_trees; do
        run_tree "$tree" || echo "$tree" >>"$failed_trees"
    done
) &
linux_pid=$!
for tree in $wine_trees; do
    run_tree "$tree" || status=1
done
wait "$linux_pid"
[ ! -s "$failed_trees" ] || status=1

log="$BUILD_ROOT/test-results.txt"
: > "$log"
passed=0
failed=0
again_notes=""
for tree in $linux_trees $wine_trees; do
    first="$BUILD_ROOT/ctest-$tree.txt"
    again="$BUILD_ROOT/ctest-$tree-again.txt"
    echo "== tests of $tree" | tee -a "$log"
    tee -a "$log" <"$first"
    passed=$((passed + $(count_lines "$PASSED_LINE" "$first")))
    if [ -f "$again" ]; then
        echo "== tests of $tree that failed, run once more" | tee -a "$log"
        tee -a "$log" <"$again"
        passed=$((passed + $(count_lines "$PASSED_LINE" "$again")))
        failed=$((failed + $(count_lines "$FAILED_LINE" "$again")))
        names=$(grep "$PASSED_LINE" "$again" | sed 's/.*Test *#[0-9]*: \([^ ]*\) .*/\1/' | tr '\n' ' ')
        [ -z "$names" ] || again_notes="$again_notes$tree: $names"
    else
        failed=$((failed + $(count_lines "$FAILED_LINE" "$first")))
    fi
done

[ -z "$again_notes" ] || echo "note: failed at first, passed when run again: $again_notes"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
# A run that found no tests proves nothing and must not pass.
[ "$passed" -gt 0 ] || { echo "no tests ran"; status=1; }
exit $status
