#!/usr/bin/env python3
"""Runs the saver (full screen, /s) and three references in turn under Wine on
the current X display, round after round (saver, same scene in a child window,
same scene in a top-level window, clear and swap, saver, ...), and prints for
each program the median and the range over the rounds of:
- start to first frame: from process start to the first buffer swap, which
  Wine's "fps" trace channel reports at once (and again every 1.5 s after);
- frames per second: the mean of the rates those later reports give;
- CPU time per frame: user + system time of the Wine process (/proc/PID/stat)
  from the first report to the last, over the frames swapped in between (the
  trace's running mean rate times that time), so start-up is left out;
- share of a core: that CPU time over that wall time;
- peak memory: VmHWM of that process;
then the saver's ratio to each reference (of the medians) and the size of the
saver file. The headline is the ratio to the same scene in a child window,
the saver's own window structure, which Wine draws at a cost of its own; the
top-level reference beside it keeps that cost visible. Every program is ended
the same way: a key press SECONDS after its first frame; one still running
EXIT_GRACE_SECONDS later is killed, and the table counts how many ended by the
key. It prints figures and judges none.

With "monitors", on a display whose RandR outputs can change (the harness's
Xorg display with monitors), it runs the saver alone, round after
round, on a desktop of three monitors and on one monitor of the same desktop
rectangle, and prints the same measures, the share of a core and how often
the saver window covered the desktop, then the ratio of several monitors to
one.
Usage: measure.py WINE SAVER SAME_SCENE_CHILD SAME_SCENE CLEAR_SWAP|- SECONDS ROUNDS
       measure.py monitors WINE SAVER SECONDS ROUNDS"""
import os
import re
import statistics
import subprocess
import sys
import threading
import time

MONITORS = sys.argv[1] == "monitors"
if MONITORS:
    WINE, SAVER = sys.argv[2:4]
    SECONDS, ROUNDS = int(sys.argv[4]), int(sys.argv[5])
else:
    WINE, SAVER, SAME_SCENE_CHILD, SAME_SCENE, CLEAR_SWAP = sys.argv[1:6]
    SECONDS, ROUNDS = int(sys.argv[6]), int(sys.argv[7])
    # The first reference is the headline's; CLEAR_SWAP "-" leaves that one out.
    PROGRAMS = [("saver /s", [WINE, SAVER, "/s"]), ("scene in a child", [WINE, SAME_SCENE_CHILD]),
                ("scene top-level", [WINE, SAME_SCENE]),
                ("clear and swap", [WINE, CLEAR_SWAP])][:3 if CLEAR_SWAP == "-" else 4]
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "scripts"))
from harness import monitors, processes, screen  # noqa: E402
# Three monitors of three shapes in a 1624x1368 desktop, and one monitor of
# that size: the same pixels to cover, one view against three.
DESKTOP = (1624, 1368)
LAYOUTS = [("three monitors", {"DUMMY0": (0, 0, 1024, 768), "DUMMY1": (0, 768, 800, 1368),
                               "DUMMY2": (1024, 0, 1624, 1000)}, ()),
           ("one monitor", {"DUMMY0": (0, 0) + DESKTOP}, ("DUMMY1", "DUMMY2"))]
# Time for Wine to see a new layout, which it reads about once a second.
LAYOUT_SETTLE_SECONDS = 3
PERCENT = 100
FIRST_FRAME_TIMEOUT_SECONDS = 60
EXIT_GRACE_SECONDS = 5
SAMPLE_SECONDS = 0.05
JOIN_TIMEOUT_SECONDS = 5
# User and system time in /proc/PID/stat, counted after the command name.
USER_TIME_FIELD = 11
SYSTEM_TIME_FIELD = 12
TICKS = os.sysconf("SC_CLK_TCK")
KIB_PER_MIB = 1024
MS_PER_SECOND = 1000
# Lines other than the fps reports kept to explain a run that went wrong.
KEPT_LINES = 40
RATE = re.compile(r"@ approx ([0-9.]+)fps, total ([0-9.]+)fps")
MEASURES = [("first", "start to first frame", " (s)", "%.2f"), ("fps", "frames per second", "", "%.1f"),
            ("cpu_ms", "CPU per frame", " (ms)", "%.3f"), ("core", "share of a core", " (%)", "%.0f"),
            ("hwm", "peak memory", " (MiB)", "%.1f")]
COLUMN = 24
LABEL = 26
# The headline's measure: what the saver costs per frame beyond its like.
HEADLINE_MEASURE = "cpu_ms"


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[USER_TIME_FIELD]) + int(fields[SYSTEM_TIME_FIELD])) / TICKS


def peak_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def sample_peak(pid, record):
    """Keeps the highest peak memory seen while the process lives (an exited
    one that is not yet reaped shows none)."""
    while True:
        try:
            record["hwm_kb"] = max(record["hwm_kb"], peak_kib(pid))
        except (OSError, IndexError, ValueError):
            return
        time.sleep(SAMPLE_SECONDS)


def read_reports(process, reports, first_frame, other_lines):
    """Notes the arrival time, the process's CPU time and the rates of each fps
    report, and keeps the last of the other lines (Wine's own errors)."""
    for line in process.stderr:
        found = RATE.search(line)
        if not found:
            other_lines.append(line)
            del other_lines[:-KEPT_LINES]
            continue
        try:
            cpu = cpu_seconds(process.pid)
        except (OSError, IndexError, ValueError):
            cpu = None
        reports.append((time.time(), cpu, float(found.group(1)), float(found.group(2))))
        first_frame.set()


def covers_desktop():
    """Whether the saver's window is as large as the desktop."""
    windows = screen.saver_windows()
    return bool(windows) and screen.place(windows[0])[2:] == DESKTOP


def run(command):
    """One run of one program: its measures (None without two fps reports) and how it ended."""
    env = dict(os.environ, WINEDEBUG="-all,err+all,trace+fps")
    started = time.time()
    process = subprocess.Popen(command, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, env=env, text=True)
    record = {"hwm_kb": 0}
    reports = []
    other_lines = []
    first_frame = threading.Event()
    sampler = threading.Thread(target=sample_peak, args=(process.pid, record), daemon=True)
    reader = threading.Thread(target=read_reports, args=(process, reports, first_frame, other_lines), daemon=True)
    sampler.start()
    reader.start()
    covered = False
    if first_frame.wait(FIRST_FRAME_TIMEOUT_SECONDS):
        time.sleep(SECONDS)
        covered = MONITORS and covers_desktop()
        screen.xdotool("key", "a")
    by_key = processes.stop(process, EXIT_GRACE_SECONDS) is not None
    reader.join(timeout=JOIN_TIMEOUT_SECONDS)
    sampler.join(timeout=JOIN_TIMEOUT_SECONDS)
    ending = {"by_key": by_key and first_frame.is_set(), "code": process.returncode, "covered": covered}
    if not ending["by_key"] or process.returncode != 0:
        # A figure left out needs its reason on record.
        sys.stderr.write("%s ended %s, with %s; its last lines on stderr:\n%s" % (
            " ".join(command[1:]), "by the key" if ending["by_key"] else "without the key", process.returncode,
            "".join(other_lines) or "(none)\n"))
    if len(reports) < 2 or reports[0][1] is None or reports[-1][1] is None:
        return None, ending
    (first_time, first_cpu, _, _), (last_time, last_cpu, _, last_total) = reports[0], reports[-1]
    rates = [rate for _, _, rate, _ in reports[1:]]
    frames = last_total * (last_time - first_time)
    return {"first": first_time - started, "fps": sum(rates) / len(rates),
            "cpu_ms": MS_PER_SECOND * (last_cpu - first_cpu) / frames if frames else 0.0,
            "core": PERCENT * (last_cpu - first_cpu) / (last_time - first_time),
            "hwm": record["hwm_kb"] / KIB_PER_MIB}, ending


def spread(values, form):
    if not values:
        return "no frame"
    return (form + " (" + form + "-" + form + ")") % (statistics.median(values), min(values), max(values))


def ratio(ours, theirs):
    if not ours or not theirs or not statistics.median(theirs):
        return "-"
    return "%.2f" % (statistics.median(ours) / statistics.median(theirs))


def row(label, cells):
    print(("%-*s" % (LABEL, label) + "".join("%-*s" % (COLUMN, cell) for cell in cells)).rstrip())


def table(names, results, endings, ratio_title, headline=False):
    """The measures of each program and the first one's ratio to the others,
    with the headline, the ratio to the second, first if asked."""
    print()
    row("", names)
    row("", ["median (min-max)"] * len(names))
    for key, label, unit, form in MEASURES:
        row(label + unit, [spread([result[key] for result in results[name]], form) for name in names])
    row("ended by the key", ["%d of %d" % (sum(ending["by_key"] for ending in endings[name]), ROUNDS)
                             for name in names])
    row("exit codes", [" ".join(str(ending["code"]) for ending in endings[name]) for name in names])
    if MONITORS:
        row("covered the desktop",
            ["%d of %d" % (sum(ending["covered"] for ending in endings[name]), ROUNDS) for name in names])

    print()
    first, others = names[0], names[1:]
    if headline:
        label = next(label for key, label, _, _ in MEASURES if key == HEADLINE_MEASURE)
        print("headline: %s, %s to %s: %s" % (label, first, others[0], ratio(
            [result[HEADLINE_MEASURE] for result in results[first]],
            [result[HEADLINE_MEASURE] for result in results[others[0]]])))
        print()
    row(ratio_title, ["to " + name for name in others])
    for key, label, _, _ in MEASURES:
        ours = [result[key] for result in results[first]]
        row(label, [ratio(ours, [result[key] for result in results[name]]) for name in others])


def measure_rounds(runs):
    """Runs each (name, set-up, command) in turn for ROUNDS rounds."""
    results = {name: [] for name, _, _ in runs}
    endings = {name: [] for name, _, _ in runs}
    for _ in range(ROUNDS):
        for name, set_up, command in runs:
            set_up()
            result, ending = run(command)
            if result is not None:
                results[name].append(result)
            endings[name].append(ending)
    return results, endings


def use_layout(layout, off):
    def set_up():
        monitors.set_layout(layout, off)
        time.sleep(LAYOUT_SETTLE_SECONDS)
    return set_up


def main():
    if MONITORS:
        runs = [(name, use_layout(layout, off), [WINE, SAVER, "/s"]) for name, layout, off in LAYOUTS]
        print("%d rounds of the saver /s on a %dx%d desktop, drawing for %d s after its first frame, in turn on: %s"
              % (ROUNDS, DESKTOP[0], DESKTOP[1], SECONDS, ", ".join(name for name, _, _ in LAYOUTS)))
        table([name for name, _, _ in runs], *measure_rounds(runs), "several monitors' ratio")
        return
    runs = [(name, lambda: None, command) for name, command in PROGRAMS]
    print("%d rounds, each program drawing for %d s after its first frame, in turn: %s"
          % (ROUNDS, SECONDS, ", ".join(name for name, _, _ in runs)))
    table([name for name, _, _ in runs], *measure_rounds(runs), "saver's ratio (medians)", headline=True)
    print()
    print("saver file: %s, %d bytes" % (SAVER, os.path.getsize(SAVER)))


if __name__ == "__main__":
    main()
