#!/usr/bin/env python3
"""Runs the saver (full screen, /s) and two references in turn under Wine on
the current X display, round after round (saver, same scene, clear and swap,
saver, ...), and prints for each program the median and the range over the
rounds of:
- start to first frame: from process start to the first buffer swap, which
  Wine's "fps" trace channel reports at once (and again every 1.5 s after);
- frames per second: the mean of the rates those later reports give;
- CPU time per frame: user + system time of the Wine process (/proc/PID/stat)
  from the first report to the last, over the frames swapped in between (the
  trace's running mean rate times that time), so start-up is left out;
- peak memory: VmHWM of that process;
then the saver's ratio to each reference (of the medians) and the size of the
saver file. Every program is ended the same way: a key press SECONDS after
its first frame; one still running EXIT_GRACE_SECONDS later is killed, and the
table counts how many ended by the key. It prints figures and judges none.
Usage: measure.py WINE SAVER SAME_SCENE CLEAR_SWAP SECONDS ROUNDS"""
import os
import re
import statistics
import subprocess
import sys
import threading
import time

WINE, SAVER, SAME_SCENE, CLEAR_SWAP = sys.argv[1:5]
SECONDS = int(sys.argv[5])
ROUNDS = int(sys.argv[6])
PROGRAMS = [("saver /s", [WINE, SAVER, "/s"]), ("same scene", [WINE, SAME_SCENE]),
            ("clear and swap", [WINE, CLEAR_SWAP])]
FIRST_FRAME_TIMEOUT_SECONDS = 60
EXIT_GRACE_SECONDS = 5
SAMPLE_SECONDS = 0.05
KEY_TIMEOUT_SECONDS = 20
JOIN_TIMEOUT_SECONDS = 5
# User and system time in /proc/PID/stat, counted after the command name.
USER_TIME_FIELD = 11
SYSTEM_TIME_FIELD = 12
TICKS = os.sysconf("SC_CLK_TCK")
KIB_PER_MIB = 1024
MS_PER_SECOND = 1000
RATE = re.compile(r"@ approx ([0-9.]+)fps, total ([0-9.]+)fps")
MEASURES = [("first", "start to first frame", " (s)", "%.2f"), ("fps", "frames per second", "", "%.1f"),
            ("cpu_ms", "CPU per frame", " (ms)", "%.3f"), ("hwm", "peak memory", " (MiB)", "%.1f")]
COLUMN = 24
LABEL = 26


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


def read_reports(process, reports, first_frame):
    """Notes the arrival time, the process's CPU time and the rates of each fps report."""
    for line in process.stderr:
        found = RATE.search(line)
        if not found:
            continue
        try:
            cpu = cpu_seconds(process.pid)
        except (OSError, IndexError, ValueError):
            cpu = None
        reports.append((time.time(), cpu, float(found.group(1)), float(found.group(2))))
        first_frame.set()


def run(command):
    """One run of one program: its measures (None without two fps reports) and how it ended."""
    env = dict(os.environ, WINEDEBUG="-all,trace+fps")
    started = time.time()
    process = subprocess.Popen(command, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, env=env, text=True)
    record = {"hwm_kb": 0}
    reports = []
    first_frame = threading.Event()
    sampler = threading.Thread(target=sample_peak, args=(process.pid, record), daemon=True)
    reader = threading.Thread(target=read_reports, args=(process, reports, first_frame), daemon=True)
    sampler.start()
    reader.start()
    if first_frame.wait(FIRST_FRAME_TIMEOUT_SECONDS):
        time.sleep(SECONDS)
        subprocess.run(["xdotool", "key", "a"], timeout=KEY_TIMEOUT_SECONDS)
    by_key = True
    try:
        process.wait(timeout=EXIT_GRACE_SECONDS)
    except subprocess.TimeoutExpired:
        by_key = False
        process.kill()
        process.wait()
    reader.join(timeout=JOIN_TIMEOUT_SECONDS)
    sampler.join(timeout=JOIN_TIMEOUT_SECONDS)
    ending = {"by_key": by_key and first_frame.is_set(), "code": process.returncode}
    if len(reports) < 2 or reports[0][1] is None or reports[-1][1] is None:
        return None, ending
    (first_time, first_cpu, _, _), (last_time, last_cpu, _, last_total) = reports[0], reports[-1]
    rates = [rate for _, _, rate, _ in reports[1:]]
    frames = last_total * (last_time - first_time)
    return {"first": first_time - started, "fps": sum(rates) / len(rates),
            "cpu_ms": MS_PER_SECOND * (last_cpu - first_cpu) / frames if frames else 0.0,
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


def main():
    names = [name for name, _ in PROGRAMS]
    results = {name: [] for name in names}
    endings = {name: [] for name in names}
    for _ in range(ROUNDS):
        for name, command in PROGRAMS:
            result, ending = run(command)
            if result is not None:
                results[name].append(result)
            endings[name].append(ending)

    print("%d rounds, each program drawing for %d s after its first frame, in turn: %s"
          % (ROUNDS, SECONDS, ", ".join(names)))
    print()
    row("", names)
    row("", ["median (min-max)"] * len(names))
    for key, label, unit, form in MEASURES:
        row(label + unit, [spread([result[key] for result in results[name]], form) for name in names])
    row("ended by the key", ["%d of %d" % (sum(ending["by_key"] for ending in endings[name]), ROUNDS)
                             for name in names])
    row("exit codes", [" ".join(str(ending["code"]) for ending in endings[name]) for name in names])

    print()
    saver, references = names[0], names[1:]
    row("saver's ratio (medians)", ["to " + name for name in references])
    for key, label, _, _ in MEASURES:
        ours = [result[key] for result in results[saver]]
        row(label, [ratio(ours, [result[key] for result in results[name]]) for name in references])

    print()
    print("saver file: %s, %d bytes" % (SAVER, os.path.getsize(SAVER)))


if __name__ == "__main__":
    main()
