#!/bin/sh
# The whole test suite: installs what is missing, builds the native tree and
# the Windows trees, and runs every test, the Windows ones under Wine on a
# private virtual display. Exits non-zero when any test fails.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/lib/env.sh"

echo "== set-up"
"$ROOT/scripts/setup.sh"

# The i686 tree is the shipped saver.scr. Where 32-bit Wine starts, natively
# or through QEMU's user-mode emulator, its Windows tests run it, and the
# twins add nothing the shipped file's tests lack: the x87 tree's portable
# tests run in the i686 tree in the real binary's x87 code, and the x86_64
# build ships nothing, so only its saver is built, to keep that stand-in
# building. Where 32-bit Wine cannot start, the x86_64 tree's Windows tests
# stand in, the x87 tree runs the portable code as the shipped compiler
# settings make it, and the i686 tree gets its static checks alone. The
# native tree's sanitizers see what no Windows tree can.
start=$(win32_start)
if [ "$start" = none ] && grep -qsx enabled "$I386_ENTRY"; then
    # A registered emulator that does not start Wine must not turn the suite
    # into the stand-in's without a word.
    echo "test.sh: QEMU's emulator is registered for 32-bit programs ($I386_ENTRY), but 32-bit Wine does not start" >&2
    exit 1
fi
if [ "$start" = none ]; then
    echo "note: this machine cannot start 32-bit programs; the x86_64 build stands in for the shipped one under Wine"
    for tree in native x87 x86_64; do
        echo "== build: the $tree tree"
        "$ROOT/scripts/lib/build.sh" "$tree"
    done
    # The static checks need the saver alone, and neither Wine nor a display.
    echo "== build: the i686 saver"
    "$ROOT/scripts/lib/build.sh" i686 saver
    linux_trees="native x87 i686-static"
else
    echo "== build: the i686 tree"
    "$ROOT/scripts/lib/build.sh" i686
    # The native tree and the x86_64 saver need neither Wine nor a display:
    # they build beside the Windows runs, at the lowest priority.
    background_builds="native x86_64"
    linux_trees="native i686-static"
fi

# The Windows runs: a tree's tests under one Wine, each run named as its
# files are. Where 32-bit Wine starts, the shipped file's run under the
# machine's Wine 8, and under Wine 10 in the Debian 13 root where set-up
# could make it: a second Win32 shows what holds only by one's quirks.
if [ "$start" = none ]; then
    wine_runs="x86_64"
elif "$ROOT/scripts/lib/in-root.sh" "$WINE64" --version >/dev/null 2>&1; then
    wine_runs="i686 i686-wine10"
else
    wine_runs="i686"
    echo "note: there is no Wine 10 root ($WINE10_ROOT); the Windows tests run under the machine's Wine alone"
fi

# The Wine a run uses, as it names itself, and how a command runs there.
run_in() {
    where="$1"
    shift
    case "$where" in
        *-wine10) "$ROOT/scripts/lib/in-root.sh" "$@" ;;
        *) "$@" ;;
    esac
}
wine_of() {
    run_in "$1" "$WINE64" --version | sed -n 's/^wine-\([^ ]*\).*/Wine \1/p'
}

# The labels of the i686 tree's tests that the Wine 10 run leaves out.
WINE10_LEAVES_OUT="static|one-wine"
PASSED_LINE="^ *[0-9]*/[0-9]* Test *#[0-9]*: .* Passed"
FAILED_LINE="^ *[0-9]*/[0-9]* Test *#[0-9]*: .*\*\*\*"
LIMIT_LINE="^the .* run reached its limit of "
count_lines() {
    grep -c "$1" "$2" || true
}
test_names() {
    grep "$1" "$2" | sed 's/.*Test *#[0-9]*: \([^ ]*\) .*/\1/' | tr '\n' ' '
}

# How long a Windows run may take as a whole, beside each test's own limit:
# a run that hangs between tests, or in a wrapper, ends too, and says which
# test was running. Twice the longest seen emulated on a shared machine.
RUN_LIMIT_SECONDS="${SAVER_RUN_LIMIT:-2400}"
RUN_LIMIT_GRACE_SECONDS=30

# Runs a command whose output is CTest's into a file, and shows each test's
# line on the console as it ends, under the run's heading (progress.py).
shown_run() {
    shown_heading="$1" shown_out="$2"
    shift 2
    "$@" >"$shown_out" 2>&1 &
    shown_pid=$!
    python3 "$ROOT/scripts/lib/progress.py" "$shown_heading" "$shown_out" "$shown_pid" &
    shown_watcher=$!
    shown_status=0
    wait "$shown_pid" || shown_status=$?
    wait "$shown_watcher" || echo "[$shown_heading] the progress display failed; the output is in $shown_out"
    return $shown_status
}

# A run that ran into its limit: the console and the run's file say so.
limit_struck() {
    heading="$1" out="$2"
    running=$(python3 "$ROOT/scripts/lib/progress.py" --running "$out")
    echo "the $heading run reached its limit of $RUN_LIMIT_SECONDS s while running: ${running:-no test}" |
        tee -a "$out"
}

# A Windows run's tests (those that CTest's further options pick), under
# Wine on a private display, within the run's limit. Its end-to-end checks
# list the known differences of that Wine that showed in a file of the run's
# own. A Wine program has been seen, once in many runs, to end at its start
# with no output at all: a failed test that did exactly that, and only such
# a test, runs once more, by name (the tree's record of its last failures may
# be another run's), into a file of its own, and that run decides. Any other
# failure stands, a test that ran into its time limit and a run that ran into
# its own among them.
wine_tests() {
    run="$1"
    shift
    tree="${run%-wine10}"
    heading=$(wine_of "$run")
    known="$BUILD_ROOT/known-$run.txt"
    junit="$BUILD_ROOT/ctest-$run.xml"
    out="$BUILD_ROOT/ctest-$run.txt"
    rm -f "$known" "$junit"
    echo "== $heading: the $tree tree's Windows tests"
    wine_ctest "$heading" "$out" --output-junit "$junit" "$@" && return 0
    # Neither a run stopped at its limit nor a missing report runs again.
    case $ctest_status in 124 | 137) return 1 ;; esac
    [ -f "$junit" ] || return 1
    silent=$(python3 "$ROOT/scripts/lib/silent-failures.py" "$junit" "$out" | tr '\n' '|' | sed 's/|$//')
    [ -n "$silent" ] || return 1
    echo "[$heading] ended at their start with no output, run once more: $silent"
    wine_ctest "$heading, again" "$BUILD_ROOT/ctest-$run-again.txt" -R "^($silent)\$" "$@"
}

# One CTest run of the tree under the run's Wine on a private display, within
# the run's limit, shown as it goes; a run stopped at its limit says so.
wine_ctest() {
    ctest_heading="$1" ctest_out="$2"
    shift 2
    ctest_status=0
    shown_run "$ctest_heading" "$ctest_out" run_in "$run" env SAVER_KNOWN_DIFFERENCES="$known" \
        timeout -k "$RUN_LIMIT_GRACE_SECONDS" "$RUN_LIMIT_SECONDS" "$ROOT/scripts/lib/with-display.sh" \
        ctest --test-dir "$BUILD_ROOT/$tree" --output-on-failure "$@" || ctest_status=$?
    case $ctest_status in
        124 | 137) limit_struck "$ctest_heading" "$ctest_out" ;;
    esac
    return $ctest_status
}

# Runs the tests of one tree into its own file; fails when one fails. The
# summary names any Windows test that was run again, and why.
run_tree() {
    out="$BUILD_ROOT/ctest-$1.txt"
    case "$1" in
        native | x87)
            echo "== $1: the $1 tree's tests"
            shown_run "$1" "$out" ctest --test-dir "$BUILD_ROOT/$1" --output-on-failure ;;
        i686-static)
            echo "== static: the i686 tree's static checks"
            shown_run static "$out" ctest --test-dir "$BUILD_ROOT/i686" --output-on-failure -L static ;;
        # Its static checks run apart, in the Linux group; computation that
        # does not depend on Wine runs under the machine's Wine alone.
        i686-wine10) wine_tests "$1" -LE "$WINE10_LEAVES_OUT" ;;
        i686) wine_tests "$1" -LE static ;;
        *) wine_tests "$1" ;;
    esac
}

# The Linux trees keep one core busy (the x87 one under emulation) and need
# neither Wine nor a display, while the Windows runs mostly wait on windows
# and pictures: run both at once, the Windows runs one after the other.
status=0
failed_trees="$BUILD_ROOT/failed-trees.txt"
rm -f "$failed_trees" "$BUILD_ROOT"/ctest-*-again.txt
# A build in the background: the whole native tree, the x86_64 saver alone.
background_build() {
    [ "$1" = x86_64 ] && set -- x86_64 saver
    echo "[$1] building in the background: build/build-$1.log"
    nice -n 19 "$ROOT/scripts/lib/build.sh" "$@" >"$BUILD_ROOT/build-$1.log" 2>&1 || {
        cat "$BUILD_ROOT/build-$1.log"
        echo "$1 (build)" >>"$failed_trees"
        echo "the $1 tree did not build: see build/build-$1.log" | tee "$BUILD_ROOT/ctest-$1.txt"
        return 1
    }
    echo "[$1] built"
}
(
    for tree in ${background_builds:-}; do
        background_build "$tree" || true
    done
    for tree in $linux_trees; do
        [ "$tree" = i686-static ] && continue
        grep -qx "$tree (build)" "$failed_trees" 2>/dev/null && continue
        run_tree "$tree" || echo "$tree" >>"$failed_trees"
    done
) &
linux_pid=$!
for run in $wine_runs; do
    run_tree "$run" || { status=1; echo "$run" >>"$failed_trees"; }
done
wait "$linux_pid"
# The static checks build the saver again and package it: apart from the
# end-to-end groups, which they would slow.
case " $linux_trees " in
    *" i686-static "*) run_tree i686-static || echo i686-static >>"$failed_trees" ;;
esac
[ ! -s "$failed_trees" ] || status=1

log="$BUILD_ROOT/test-results.txt"
: > "$log"
passed=0
failed=0
again_notes=""
wines=""
for run in $linux_trees $wine_runs; do
    first="$BUILD_ROOT/ctest-$run.txt"
    again="$BUILD_ROOT/ctest-$run-again.txt"
    heading="${run%-wine10}"
    case " $wine_runs " in *" $run "*) wine=$(wine_of "$run"); heading="$heading under $wine" ;; esac
    echo "== tests of $heading" | tee -a "$log"
    cat "$first" >>"$log"
    run_passed=$(count_lines "$PASSED_LINE" "$first")
    # A run stopped at its limit has one test with no line of its own.
    run_failed=$(($(count_lines "$FAILED_LINE" "$first") + $(count_lines "$LIMIT_LINE" "$first")))
    # Each test's line was shown as it ended; a failed run's output is shown
    # here, whether a test failed or the run could not start them.
    if [ "$run_failed" -gt 0 ] || grep -qx "$run" "$failed_trees" 2>/dev/null; then
        cat "$first"
    fi
    if [ -f "$again" ]; then
        echo "== tests of $heading that ended at their start with no output, run once more" | tee -a "$log"
        cat "$again" >>"$log"
        again_passed=$(count_lines "$PASSED_LINE" "$again")
        run_passed=$((run_passed + again_passed))
        run_failed=$((run_failed - again_passed))
        [ "$run_failed" -eq 0 ] || cat "$again"
        names=$(test_names "$PASSED_LINE" "$again")
        [ -z "$names" ] || again_notes="$again_notes$heading: $names"
    fi
    echo "$heading: $run_passed passed, $run_failed failed"
    passed=$((passed + run_passed))
    failed=$((failed + run_failed))
    case " $wine_runs " in *" $run "*) ;; *) continue ;; esac
    wines="$wines${wines:+; }$wine: $run_passed passed, $run_failed failed"
    # What the Wine shows and Windows would not, said once for the run.
    known="$BUILD_ROOT/known-$run.txt"
    if [ -s "$known" ]; then
        sort -u "$known" | cut -f1 | uniq -c | while read -r count why; do
            echo "$wine: $count checks show a known difference of this Wine, marked as such: $why"
        done | tee -a "$log"
    fi
    # Where 32-bit Wine starts, the shipped file's Windows tests must all
    # have run: a tree that lists none, or a run that left some out, proves
    # nothing.
    if [ "$start" != none ]; then
        leaves_out=static
        [ "$run" != i686-wine10 ] || leaves_out="$WINE10_LEAVES_OUT"
        listed=$(ctest --test-dir "$BUILD_ROOT/i686" -N -LE "$leaves_out" | sed -n 's/^Total Tests: //p')
        ran=$(count_lines "$PASSED_LINE\|$FAILED_LINE" "$first")
        if [ "${listed:-0}" -eq 0 ] || [ "$ran" -ne "$listed" ]; then
            echo "the i686 tree lists ${listed:-no} Windows tests and $wine ran $ran of them" | tee -a "$log"
            status=1
        fi
    fi
done

case "$start" in
    native) echo "32-bit programs started natively: the Windows tests ran the shipped i686 saver" | tee -a "$log" ;;
    emulated) echo "32-bit programs started through QEMU's user-mode emulator: the Windows tests ran the shipped i686 saver" |
        tee -a "$log" ;;
    *) echo "32-bit programs could not start: the Windows tests ran the x86_64 stand-in" | tee -a "$log" ;;
esac
case " $wine_runs " in
    *" i686-wine10 "*) ;;
    *) echo "the Windows tests ran under one Wine only: $wines" | tee -a "$log" ;;
esac
echo "Windows tests by Wine: $wines" | tee -a "$log"
[ ! -s "$failed_trees" ] || echo "failed: $(tr '\n' ' ' <"$failed_trees")" | tee -a "$log"
[ -z "$again_notes" ] ||
    echo "note: ended at their start with no output, then passed when run again: $again_notes" | tee -a "$log"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || status=1
# A run that found no tests proves nothing and must not pass.
[ "$passed" -gt 0 ] || { echo "no tests ran"; status=1; }
exit $status
