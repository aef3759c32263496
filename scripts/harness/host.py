"""The test host (tests/win/e2e/saver_host.cpp), which plays the system's
display settings under Wine: running it, and reading what it reports of the
desktop. Leaves out what a test makes of either."""
import contextlib
import os
import select
import subprocess
import tempfile
import time

from . import geometry, processes

HOST_SECONDS = 60


class Host:
    def __init__(self, wine, path):
        self.wine, self.path = wine, path
        self.reporter = None

    def command(self, *args):
        return [self.wine, self.path, *args]

    def run(self, *args, timeout=HOST_SECONDS, env=None):
        """Runs the host to its end; returns its exit code and what it printed."""
        done = subprocess.run(self.command(*args), capture_output=True, text=True, timeout=timeout, env=env,
                              stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout.strip()

    def start(self, *args, env=None):
        """Starts the host; Wine's error messages go to a file of its own and
        what the host prints to another, kept in PROCESS.log and
        PROCESS.out (remove them with `forget`)."""
        with tempfile.NamedTemporaryFile(prefix="saver-host-", suffix=".log", delete=False) as log, \
                tempfile.NamedTemporaryFile(prefix="saver-host-", suffix=".out", delete=False) as out:
            process = subprocess.Popen(self.command(*args), stdout=out, stderr=log, stdin=subprocess.DEVNULL,
                                       env=dict(env or os.environ, WINEDEBUG="err+all"))
        process.log, process.out = log.name, out.name
        return process

    def desktop(self):
        """The monitors Wine reports, in the order it lists them, and, while a
        full-screen saver runs, the rectangles of its window and its render
        child on the desktop; while a preview runs in a host's window, that
        window's rectangle. `listing` is the host's own text. Within
        `reporting`, from its one host process."""
        return parse_desktop(self.report() if self.reporter else self.run("monitors")[1])

    @contextlib.contextmanager
    def reporting(self):
        """`desktop` asks one host process that stays: Wine has been seen to
        hold each new program at its start for half a minute after some
        display changes, while the programs already running went on."""
        self.reporter = subprocess.Popen(self.command("monitors", "each-line"), stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE)
        try:
            yield
        finally:
            self.reporter.stdin.close()
            processes.stop(self.reporter, HOST_SECONDS)
            self.reporter = None

    def report(self):
        """One report of the reporting host, up to its line "." (its lines
        end in CR LF, as a Windows program's text does)."""
        self.reporter.stdin.write(b"\n")
        self.reporter.stdin.flush()
        deadline, text = time.monotonic() + HOST_SECONDS, b"\n"
        while not text.endswith(b"\n.\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.reporter.stdout], [], [], left)[0]:
                raise subprocess.TimeoutExpired(self.command("monitors", "each-line"), HOST_SECONDS)
            chunk = os.read(self.reporter.stdout.fileno(), 4096)
            if not chunk:
                raise subprocess.SubprocessError("the reporting host ended")
            text += chunk.replace(b"\r", b"")
        return text[:-len(b".\n")].decode(errors="replace").strip()


def forget(process):
    """What a started host printed; its files go."""
    with open(process.out, errors="replace") as out:
        report = out.read()
    os.remove(process.log)
    os.remove(process.out)
    return report


def parse_desktop(listing):
    """`saver_host monitors`' report, e.g. "monitors 2: 0,0-800,600 -640,0-0,480"
    then "saver 0,0-800,600 child 0,0-800,600", as a dictionary."""
    lines = listing.splitlines()
    state = dict(monitors=geometry.rectangles(lines[0].split(":", 1)[-1].split()) if lines else [], saver=None,
                 child=None, preview=None, listing=listing)
    # Each further line is names, each followed by its rectangle.
    for words in map(str.split, lines[1:]):
        state.update(zip(words[0::2], geometry.rectangles(words[1::2])))
    return state
