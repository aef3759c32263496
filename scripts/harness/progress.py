"""What a CTest run's output file tells while it runs: each test's result
line shown on the console as it appears, a test running for a minute named
once, and the tests started but not ended (what a run was doing when its
time limit struck). Only reads: the file itself keeps everything, so a
program that holds CTest's output open cannot hold the console up. Leaves
out running CTest (the suite)."""
import re
import sys
import time
from pathlib import Path

START = re.compile(r"^\s*Start\s+(\d+): (\S+)")
RESULT = re.compile(r"^\s*\d+/\d+ Test\s+#(\d+): ")
STILL_RUNNING_SECONDS = 60
POLL_SECONDS = 0.5


def say(line, end="\n"):
    """One line (or with END "", a whole output) on the console in one
    write, so that lines of runs that go at once never mix."""
    sys.stdout.write(line + end)
    sys.stdout.flush()


def read(path):
    return Path(path).read_text(errors="replace")


def track(started, line):
    """Notes a test's start or end in STARTED (number: name, since); True
    for a result line."""
    if match := START.match(line):
        started[match.group(1)] = (match.group(2), time.monotonic())
    elif match := RESULT.match(line):
        started.pop(match.group(1), None)
        return True
    return False


def running_tests(path):
    started = {}
    for line in read(path).split("\n"):
        track(started, line)
    return [name for name, _ in started.values()]


def follow(heading, path, process):
    """Shows the run in PATH as it goes, under HEADING, until PROCESS (the
    run) has ended and the file is read to its end."""
    started, told, pending = {}, set(), ""
    with open(path, errors="replace") as out:
        while True:
            running = process.poll() is None
            *lines, pending = (pending + out.read()).split("\n")
            for line in lines:
                if track(started, line):
                    say("[%s] %s" % (heading, line.strip()))
            for number, (name, since) in started.items():
                if number not in told and (seconds := time.monotonic() - since) >= STILL_RUNNING_SECONDS:
                    told.add(number)
                    say("[%s] still running: %s, %d s" % (heading, name, seconds))
            if not running:
                return
            time.sleep(POLL_SECONDS)
