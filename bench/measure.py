#!/usr/bin/env python3
"""Runs the saver (full screen, /s) and the minimal GL baseline one after the
other under Wine on the current X display and prints, side by side:
- time from process start to the first frame: the first buffer swap, which
  Wine's "fps" trace channel reports at once (it reports again each second);
- frames per second: the mean of the per-second rates that trace reports,
  the first partial second left out;
- CPU time per frame: user + system time of the Wine process over the run
  (from /proc/PID/stat) divided by the frames swapped;
- peak memory: VmHWM of that process.
Neither program is changed for this; the saver is ended with a key press.
Usage: measure.py WINE SAVER MINIMAL SECONDS"""
import os
import re
import subprocess
import sys
import threading
import time

WINE, SAVER, MINIMAL = sys.argv[1:4]
SECONDS = int(sys.argv[4])
TICKS = os.sysconf("SC_CLK_TCK")
RATE = re.compile(r"@ approx ([0-9.]+)fps, total ([0-9.]+)fps")


def sample(pid, record):
    """Keeps the last CPU ticks and peak memory seen while the process lives."""
    while True:
        try:
            with open("/proc/%d/stat" % pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            record["cpu"] = (int(fields[11]) + int(fields[12])) / TICKS
            with open("/proc/%d/status" % pid) as status:
                for line in status:
                    if line.startswith("VmHWM:"):
                        record["hwm_kb"] = int(line.split()[1])
        except (OSError, IndexError, ValueError):
            return
        time.sleep(0.05)


def run(command, end_with_key):
    env = dict(os.environ, WINEDEBUG="-all,trace+fps")
    started = time.time()
    process = subprocess.Popen(command, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, env=env, text=True)
    record = {"cpu": 0.0, "hwm_kb": 0}
    sampler = threading.Thread(target=sample, args=(process.pid, record), daemon=True)
    sampler.start()
    swaps = []
    if end_with_key:
        def stop():
            time.sleep(SECONDS + 1)
            subprocess.run(["xdotool", "key", "a"], timeout=20)
            time.sleep(5)
            if process.poll() is None:
                process.kill()
        threading.Thread(target=stop, daemon=True).start()
    for line in process.stderr:
        found = RATE.search(line)
        if found:
            swaps.append((time.time(), float(found.group(1)), float(found.group(2))))
    process.wait(timeout=30)
    sampler.join(timeout=5)
    if not swaps:
        return None
    first = swaps[0][0] - started
    rates = [rate for _, rate, _ in swaps[1:]]
    fps = sum(rates) / len(rates) if rates else 0.0
    frames = swaps[-1][2] * (swaps[-1][0] - swaps[0][0])
    return {"first": first, "fps": fps, "cpu_ms": 1000 * record["cpu"] / frames if frames else 0.0,
            "hwm": record["hwm_kb"] / 1024, "code": process.returncode}


def main():
    saver = run([WINE, SAVER, "/s"], True)
    minimal = run([WINE, MINIMAL, str(SECONDS)], False)
    print("%-28s %14s %14s" % ("", "saver /s", "minimal GL"))
    for key, label, form in [("first", "start to first frame (s)", "%.2f"), ("fps", "frames per second", "%.1f"),
                             ("cpu_ms", "CPU per frame (ms)", "%.2f"), ("hwm", "peak memory (MiB)", "%.1f"),
                             ("code", "exit code", "%d")]:
        cells = [form % result[key] if result else "no frame" for result in (saver, minimal)]
        print("%-28s %14s %14s" % (label, cells[0], cells[1]))


if __name__ == "__main__":
    main()
