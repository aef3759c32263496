"""The whole test suite after set-up (scripts/test.sh runs set-up first and
says how 32-bit programs start): builds the native tree and the Windows
trees, and runs every test, the Windows ones under Wine on a private virtual
display, each run into a file of its own under build/ and shown on the
console as it goes, then sums the runs up in build/test-results.txt. Also
CTest on a private display in a Wine session of its own, by hand (`ctest`)
and as the Wine 10 run's one process in the root (`wine-run`). Leaves out
set-up and how a tree builds (scripts/lib)."""
import concurrent.futures
import contextlib
import os
import re
import signal
import subprocess
import sys
from pathlib import Path

from . import displays, paths, progress, wine
from .progress import read, say

HARNESS = os.path.join(paths.ROOT, "scripts", "harness")
BUILD = os.path.join(paths.ROOT, "scripts", "lib", "build.sh")
BUILT = Path(paths.BUILD_ROOT)
FAILED_TREES = BUILT / "failed-trees.txt"
RESULTS = BUILT / "test-results.txt"
# Each Windows run, named as its files are: its tree and the tests it leaves
# out. The i686 tree's static checks run apart, in the Linux group;
# computation that does not depend on Wine runs under the machine's Wine alone.
WINDOWS_RUNS = {"i686": ("i686", ["-LE", "static"]), "i686-wine10": ("i686", ["-LE", "static|one-wine"]),
                "x86_64": ("x86_64", [])}
PASSED_LINE = re.compile(r"^ *[0-9]*/[0-9]* Test *#[0-9]*: .* Passed")
FAILED_LINE = re.compile(r"^ *[0-9]*/[0-9]* Test *#[0-9]*: .*\*\*\*")
LIMIT_LINE = re.compile(r"^the .* run reached its limit of ")
# How long a Windows run may take as a whole, beside each test's own limit:
# a run that hangs between tests, or in a wrapper, ends too, and says which
# test was running. Twice the longest seen emulated on a shared machine.
RUN_LIMIT_SECONDS = int(os.environ.get("SAVER_RUN_LIMIT") or 2400)
RUN_LIMIT_GRACE_SECONDS = 30
SHIPPED = "32-bit programs started %s: the Windows tests ran the shipped i686 saver"
START_LINES = {"native": SHIPPED % "natively", "emulated": SHIPPED % "through QEMU's user-mode emulator",
               "none": "32-bit programs could not start: the Windows tests ran the x86_64 stand-in"}


def append(path, text, mode="a"):
    with open(path, mode) as out:
        out.write(text)


def tee(line, path=RESULTS, mode="a"):
    """A line on the console and in the results (or the file PATH)."""
    say(line)
    append(path, line + "\n", mode)


def count(text, *patterns):
    return sum(1 for line in text.splitlines() if any(pattern.search(line) for pattern in patterns))


def lines(path):
    """The lines of the file PATH, none when there is none."""
    return read(path).splitlines() if path.exists() else []


def wine_of(run):
    """The Wine a run uses, as it names itself: "Wine 10.0"."""
    where = [paths.IN_ROOT] if run.endswith("-wine10") else []
    found = wine.version(*where, paths.WINE64)
    return "Wine " + found if found else ""


def build(*args):
    """A build in the foreground: the suite stops where one fails."""
    say("== build: the " + ("i686 saver" if args[1:] else args[0] + " tree"))
    if status := subprocess.run([BUILD, *args]).returncode:
        sys.exit(status)


def shown_run(heading, path, command, limit=None, env=None):
    """Runs COMMAND, whose output is CTest's, into the file PATH, in a process
    group of its own, and shows each test's line on the console as it ends,
    under HEADING. Returns its exit status; None when it ran for LIMIT
    seconds and its group was ended (SIGTERM, then SIGKILL after a grace),
    which the console and the file say. Interrupted, it ends the group too."""
    with open(path, "w") as out, concurrent.futures.ThreadPoolExecutor(1) as pool:
        process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                   env=env, start_new_session=True)
        watcher = pool.submit(progress.follow, heading, path, process)
        try:
            status = process.wait(limit)
        except subprocess.TimeoutExpired:
            status = None
        finally:
            for ending in (signal.SIGTERM, signal.SIGKILL):
                if process.poll() is None:
                    os.killpg(process.pid, ending)
                    with contextlib.suppress(subprocess.TimeoutExpired):
                        process.wait(RUN_LIMIT_GRACE_SECONDS)
        try:
            watcher.result()
        except OSError as error:
            say(f"[{heading}] the progress display failed ({error}); the output is in {path}")
    if status is None:
        running = " ".join(progress.running_tests(path)) or "no test"
        tee(f"the {heading} run reached its limit of {limit} s while running: {running}", path)
    return status


def wine_tests(run):
    """RUN's tests under its Wine on a private display, within the run's
    limit, shown as it goes; False when one fails. Under the machine's Wine
    this process makes the display and the session; under Wine 10 one
    process in the root does (wine-run). The end-to-end checks list the
    known differences of that Wine that showed in the run's known-RUN.txt.
    Every failure stands, a Wine program that ended at its start among them:
    a test that passes only when run again is a fault to find, not a pass."""
    heading, path = wine_of(run), BUILT / f"ctest-{run}.txt"
    known, junit = BUILT / f"known-{run}.txt", BUILT / f"ctest-{run}.xml"
    for stale in (known, junit):
        stale.unlink(missing_ok=True)
    say(f"== {heading}: the {WINDOWS_RUNS[run][0]} tree's Windows tests")
    ctest = ["--test-dir", BUILT / WINDOWS_RUNS[run][0], "--output-on-failure", "--output-junit", junit,
             *WINDOWS_RUNS[run][1]]
    if run.endswith("-wine10"):
        return shown_run(heading, path, [paths.IN_ROOT, "python3", HARNESS, "wine-run", "--known", known, *ctest],
                         RUN_LIMIT_SECONDS) == 0
    try:
        with displays.virtual(), wine.session():
            return shown_run(heading, path, ["ctest", *ctest], RUN_LIMIT_SECONDS,
                             dict(os.environ, SAVER_KNOWN_DIFFERENCES=str(known))) == 0
    except (displays.DisplayError, wine.SessionError) as error:
        append(path, f"{error}\n")
        return False


def linux_tests(tree, env=None):
    """The tests of a Linux tree, or the i686 tree's static checks, into the
    run's own file; False when one fails."""
    static = tree == "i686-static"
    say("== static: the i686 tree's static checks" if static else f"== {tree}: the {tree} tree's tests")
    return shown_run("static" if static else tree, BUILT / f"ctest-{tree}.txt",
                     ["ctest", "--test-dir", BUILT / tree.removesuffix("-static"), "--output-on-failure",
                      *(["-L", "static"] if static else [])], env=env) == 0


def linux_side(builds, trees, env):
    """In ENV, the environment without a Windows run's display and Wine
    session, which this process sets while they go: the builds in the
    background, at the lowest priority (the whole native tree, the x86_64
    saver alone; a failure is recorded, and the suite goes on), then the
    Linux trees' tests."""
    for tree in builds:
        say(f"[{tree}] building in the background: build/build-{tree}.log")
        with open(BUILT / f"build-{tree}.log", "w") as out:
            status = subprocess.run(["nice", "-n", "19", BUILD, tree, *(["saver"] if tree == "x86_64" else [])],
                                    stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, env=env).returncode
        if status:
            say(read(BUILT / f"build-{tree}.log"), end="")
            append(FAILED_TREES, f"{tree} (build)\n")
            tee(f"the {tree} tree did not build: see build/build-{tree}.log", BUILT / f"ctest-{tree}.txt", "w")
        else:
            say(f"[{tree}] built")
    for tree in trees:
        if f"{tree} (build)" not in lines(FAILED_TREES) and not linux_tests(tree, env):
            append(FAILED_TREES, tree + "\n")


def all_ran(run, wine, text):
    """Where 32-bit Wine starts, the shipped file's Windows tests must all
    have run: a tree that lists none, or a run that left some out, proves
    nothing."""
    listing = subprocess.run(["ctest", "--test-dir", BUILT / "i686", "-N", *WINDOWS_RUNS[run][1]],
                             capture_output=True, text=True).stdout
    listed = re.search(r"^Total Tests: (\d+)", listing, re.M)
    ran = count(text, PASSED_LINE, FAILED_LINE)
    if listed and 0 < int(listed.group(1)) == ran:
        return True
    tee(f"the i686 tree lists {listed.group(1) if listed else 'no'} Windows tests and {wine} ran {ran} of them")
    return False


def summary(start, runs, wine_runs):
    """Each run's counts, the whole output of a run that failed, the known
    differences and the totals, on the console and in the results. Returns
    1 when a test, a run or a build failed, none passed or a Windows run
    left some out."""
    RESULTS.write_text("")
    passed = failed = status = 0
    wines = []
    for run in runs:
        wine = wine_of(run) if run in wine_runs else ""
        heading = f"{WINDOWS_RUNS[run][0]} under {wine}" if run in wine_runs else run
        tee("== tests of " + heading)
        append(RESULTS, text := read(BUILT / f"ctest-{run}.txt"))
        # A run stopped at its limit has one test with no line of its own.
        run_passed, run_failed = count(text, PASSED_LINE), count(text, FAILED_LINE, LIMIT_LINE)
        # Each test's line was shown as it ended; a failed run's output is
        # shown here, whether a test failed or the run could not start them.
        if run_failed or run in lines(FAILED_TREES):
            say(text, end="")
        say(f"{heading}: {run_passed} passed, {run_failed} failed")
        passed, failed = passed + run_passed, failed + run_failed
        if run in wine_runs:
            wines.append(f"{wine}: {run_passed} passed, {run_failed} failed")
            # What the Wine shows and Windows would not, said once for the run.
            whys = [line.split("\t")[0] for line in sorted(set(lines(BUILT / f"known-{run}.txt")))]
            for why in dict.fromkeys(whys):
                tee(f"{wine}: {whys.count(why)} checks show a known difference of this Wine, marked as such: "
                    + why.strip())
            if start != "none" and not all_ran(run, wine, text):
                status = 1
    tee(START_LINES[start])
    if "i686-wine10" not in wine_runs:
        tee("the Windows tests ran under one Wine only: " + "; ".join(wines))
    tee("Windows tests by Wine: " + "; ".join(wines))
    if lines(FAILED_TREES):
        tee(f"failed: {' '.join(lines(FAILED_TREES))} ")
    say(f"{passed} passed, {failed} failed")
    # A run that found no tests proves nothing and must not pass.
    if not passed:
        say("no tests ran")
    return 1 if status or failed or not passed or lines(FAILED_TREES) else 0


def main(args):
    """`suite native|emulated|none`, how 32-bit programs start here: the
    whole suite after set-up; exits non-zero when a test fails. The i686
    tree is the shipped saver.scr. Where 32-bit Wine starts, natively or
    through QEMU's user-mode emulator, its Windows tests run it, and the
    twins add nothing the shipped file's tests lack: the x87 tree's portable
    tests run in the i686 tree in the real binary's x87 code, and the x86_64
    build ships nothing, so only its saver is built, to keep that stand-in
    building. Where 32-bit Wine cannot start, the x86_64 tree's Windows
    tests stand in, the x87 tree runs the portable code as the shipped
    compiler settings make it, and the i686 tree gets its static checks
    alone. The native tree's sanitizers see what no Windows tree can."""
    if len(args) != 1 or args[0] not in START_LINES:
        return "usage: python3 scripts/harness suite native|emulated|none"
    start = args[0]
    if start == "none":
        say("note: this machine cannot start 32-bit programs; the x86_64 build stands in for the shipped one"
            " under Wine")
        # The static checks need the i686 saver alone, and neither Wine nor a display.
        for tree in (["native"], ["x87"], ["x86_64"], ["i686", "saver"]):
            build(*tree)
        background, linux_trees, wine_runs = [], ["native", "x87"], ["x86_64"]
    else:
        build("i686")
        # The native tree and the x86_64 saver need neither Wine nor a
        # display: they build beside the Windows runs, at the lowest priority.
        # The shipped file runs under the machine's Wine 8, and under Wine 10
        # in the Debian 13 root where set-up could make it: a second Win32
        # shows what holds only by one's quirks.
        background, linux_trees, wine_runs = ["native", "x86_64"], ["native"], ["i686"]
        if wine_of("i686-wine10"):
            wine_runs.append("i686-wine10")
        else:
            say(f"note: there is no Wine 10 root ({paths.WINE10_ROOT}); the Windows tests run under the machine's"
                " Wine alone")
    FAILED_TREES.unlink(missing_ok=True)
    # The Linux trees keep one core busy (the x87 one under emulation) and
    # need neither Wine nor a display, while the Windows runs mostly wait on
    # windows and pictures: run both at once, the Windows runs one after the
    # other.
    with concurrent.futures.ThreadPoolExecutor(1) as pool:
        linux = pool.submit(linux_side, background, linux_trees, dict(os.environ))
        for run in wine_runs:
            if not wine_tests(run):
                append(FAILED_TREES, run + "\n")
        linux.result()
    # The static checks build the saver again and package it: apart from the
    # end-to-end groups, which they would slow.
    if not linux_tests("i686-static"):
        append(FAILED_TREES, "i686-static\n")
    return summary(start, [*linux_trees, "i686-static", *wine_runs], wine_runs)


def wine_run(args):
    """`wine-run [--known FILE] CTEST-ARGS...`: CTest on a private display in
    a Wine session of its own, its output on this process's; the end-to-end
    checks list in FILE the known differences of this Wine that showed. The
    Wine 10 run is this one process in the root, whose process group its
    limit ends: SIGTERM ends CTest, then the session and the display, as an
    exit with the status a shell gives a process that SIGTERM ended."""
    if args[:1] == ["--known"]:
        os.environ["SAVER_KNOWN_DIFFERENCES"] = args[1]
        args = args[2:]
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(128 + signal.SIGTERM))
    with displays.virtual(), wine.session():
        return subprocess.run(["ctest", *args], stdin=subprocess.DEVNULL).returncode


def ctest(args):
    """`ctest [--wine10] CTEST-ARGS...`: CTest on a private display in a Wine
    session of its own, by hand; with --wine10 under Wine 10 in the root,
    through in-root.sh, which runs paths relative to the checkout."""
    if args[:1] == ["--wine10"]:
        os.execv(paths.IN_ROOT, [paths.IN_ROOT, "python3", HARNESS, "wine-run", *args[1:]])
    return wine_run(args)
