"""Wine for a run: the session (a prefix of its own, copied from the prepared
one in a moment, with a wineserver of its own, its first program run and
Wine's background programs started), registry changes, and the version.
A session's registry changes and its wineserver's end touch no other run.
Wine keeps its monitor list per wineserver, read from the display its first
program ran on, so a run on another X server than the current session's needs
a session of its own too. Leaves out the X display and making the prepared
prefix (set-up's)."""
import contextlib
import os
import re
import shutil
import subprocess
import tempfile

from . import paths, processes

END_SECONDS = 30
PROGRAM_SECONDS = 120
BACKGROUND_START_SECONDS = 60


class SessionError(Exception):
    pass


def version(*loader):
    """The version the Wine LOADER (a command) names, e.g. "10.0" of
    "wine-10.0 (Debian 10.0~repack-6)"; None when it does not start."""
    named = subprocess.run([*loader, "--version"], capture_output=True, text=True, timeout=PROGRAM_SECONDS).stdout
    return next(iter(re.findall(r"^wine-([^ \n]*)", named, re.M)), None)


def reg(*args, must=False, log=None):
    """Runs Wine's reg with ARGS in the current session; with MUST, a failure
    raises."""
    out = log or subprocess.PIPE
    return subprocess.run([paths.WINE64, "reg", *args], check=must, stdout=out, stderr=out,
                          stdin=subprocess.DEVNULL, timeout=PROGRAM_SECONDS)


def background_started(prefix):
    """Wine's background programs of this session (not another session's):
    services.exe, which starts the others."""
    mark = ("WINEPREFIX=%s" % prefix).encode()
    for pid in subprocess.run(["pgrep", "-x", "services.exe"], capture_output=True, text=True).stdout.split():
        with contextlib.suppress(OSError), open("/proc/%s/environ" % pid, "rb") as environ:
            if mark in environ.read().split(b"\0"):
                return True
    return False


def end(log):
    """A process's windows can outlive it by a moment, and the session's last
    registry save goes into the prefix: the wineserver ends before it goes."""
    subprocess.run([paths.WINESERVER, "-k"], stdout=log, stderr=log)
    with contextlib.suppress(subprocess.TimeoutExpired):
        subprocess.run([paths.WINESERVER, "-w"], stdout=log, stderr=log, timeout=END_SECONDS)


def start(managed, log):
    """Starts the session: its wineserver up, its first program run to a
    successful end, and Wine's background programs running, all known to have
    happened before the run's own programs start. The first program starts
    them, so they inherit its output, the session's log, and never hold a
    caller's pipes open (CTest would wait on them until its time-out). It also
    tells Wine whether a window manager runs here: on a private display none
    does, and Wine would wait up to 2 s for one to confirm that each closed
    top-level window has gone. Returns what did not start, or None."""
    if subprocess.run([paths.WINESERVER, "-p"], stdout=log, stderr=log).returncode != 0:
        return "the wineserver did not start"
    try:
        reg("add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/t", "REG_SZ", "/d", "Y" if managed else "N",
            "/f", must=True, log=log)
    except subprocess.SubprocessError:
        return "the first program (wine reg add) failed"
    if not processes.wait_for(lambda: background_started(os.environ["WINEPREFIX"]), BACKGROUND_START_SECONDS):
        return "Wine's background programs (services.exe) did not start within %d s" % BACKGROUND_START_SECONDS
    return None


@contextlib.contextmanager
def session(managed=False):
    """A Wine session for this process and its children on the current
    display, from the prepared prefix (also inside another session, as the
    monitors' display needs); MANAGED says that a window manager places and
    focuses windows. A session that does not start is started once more,
    then raises SessionError naming the step, with the session's log."""
    workdir = tempfile.mkdtemp(prefix="saver-session.")
    prefix, prepared, previous = os.path.join(workdir, "prefix"), paths.PREPARED_PREFIX, os.environ["WINEPREFIX"]
    os.makedirs(os.path.join(prefix, "dosdevices"))
    for name in os.listdir(prepared):
        if name.endswith(".reg") or name == ".update-timestamp":
            shutil.copy(os.path.join(prepared, name), prefix)
    os.symlink(os.path.join(prepared, "drive_c"), os.path.join(prefix, "dosdevices", "c:"))
    os.symlink("/", os.path.join(prefix, "dosdevices", "z:"))
    os.environ["WINEPREFIX"] = prefix
    try:
        with open(os.path.join(workdir, "start.log"), "a+") as log:
            not_started = start(managed, log)
            if not_started:
                print("the Wine session: %s; starting it once more" % not_started, flush=True)
                end(log)
                not_started = start(managed, log)
            if not_started:
                log.seek(0)
                raise SessionError("the Wine session did not start: %s. Its log:\n%s" % (not_started, log.read()))
        yield prefix
    finally:
        with open(os.path.join(workdir, "start.log"), "a") as log:
            end(log)
        os.environ["WINEPREFIX"] = previous
        shutil.rmtree(workdir, ignore_errors=True)
