#!/usr/bin/env python3
"""Shows a CTest run on the console while it goes: follows the file that
CTest writes its output to and prints, as each appears, the result line of
every test under the run's heading, and once the name of a test that has
been running for a minute. The file itself keeps everything; this only reads
it, so a program that holds CTest's output open cannot hold this up.
Stops once the process PID (the run) has ended and the file is read to its
end. With --running it prints instead the tests the file shows started but
not ended: what a run was doing when its time limit struck.
Usage: progress.py HEADING FILE PID
       progress.py --running FILE"""
import os
import re
import sys
import time

START = re.compile(r"^\s*Start\s+(\d+): (\S+)")
RESULT = re.compile(r"^\s*\d+/\d+ Test\s+#(\d+): ")
STILL_RUNNING_SECONDS = 60
POLL_SECONDS = 0.5


def track(started, line):
    """Notes a test's start or end in STARTED (number: name, since); True
    for a result line."""
    if match := START.match(line):
        started[match.group(1)] = (match.group(2), time.monotonic())
    elif match := RESULT.match(line):
        started.pop(match.group(1), None)
        return True
    return False


def running_tests(lines):
    started = {}
    for line in lines:
        track(started, line)
    return [name for name, _ in started.values()]


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A child of the caller's that has ended but not been waited for.
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def follow(heading, path, pid):
    started = {}
    told = set()
    pending = ""
    position = 0
    while True:
        running = alive(pid)
        try:
            with open(path, errors="replace") as out:
                out.seek(position)
                pending += out.read()
                position = out.tell()
        except FileNotFoundError:
            pass
        *lines, pending = pending.split("\n")
        for line in lines:
            if track(started, line):
                print(f"[{heading}] {line.strip()}", flush=True)
        for number, (name, since) in started.items():
            seconds = time.monotonic() - since
            if number not in told and seconds >= STILL_RUNNING_SECONDS:
                told.add(number)
                print(f"[{heading}] still running: {name}, {int(seconds)} s", flush=True)
        if not running:
            return
        time.sleep(POLL_SECONDS)


if len(sys.argv) == 3 and sys.argv[1] == "--running":
    with open(sys.argv[2], errors="replace") as out:
        print(" ".join(running_tests(out.read().split("\n"))))
elif len(sys.argv) == 4:
    follow(sys.argv[1], sys.argv[2], int(sys.argv[3]))
else:
    sys.exit(__doc__)
