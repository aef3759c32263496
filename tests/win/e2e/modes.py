"""The saver's modes as the system starts them, through the test host: a run
to its end, a full-screen saver started and ended, a preview held in the
host's window, and a copy of the saver that Wine tells another Windows
version; and what the desktop looks like meanwhile. The paths come from the
environment the test is registered with. Leaves out the pictures' rules
(model.py)."""
import contextlib
import os
import shutil
import subprocess
import tempfile

from harness import geometry, host, monitors, processes, screen, wine

from checks import OTHER_PROCESS_GL_CHILD, SCREEN_BLACK, check, shows
from model import ONE_VIEW, check_model, check_screen, model_drawn, picture_stats, screen_drawn, screen_parts

WINE = os.environ["SAVER_E2E_WINE"]
SAVER = os.environ["SAVER_E2E_SAVER"]
HOST = host.Host(WINE, os.environ["SAVER_E2E_HOST"])
STAND_IN = os.environ.get("SAVER_E2E_STAND_IN")
INVALID = 255  # the exit code -1 as Wine reports it
# The host ends a saver that runs longer: a net for a saver that no check
# ended, long enough that a slow (emulated, shared) machine never meets it.
RUN_SECONDS = 90
START_POINT = (500, 400)
# How long the saver holds a jump of the pointer before it counts it.
HELD_JUMP_SECONDS = 1.0
# How long the screen may lag behind the GL window's picture.
SCREEN_SECONDS = 1.5
# How soon after a change of monitors (once xrandr has made it) Wine and the
# saver must follow it; Wine itself takes about a second to see it.
LAYOUT_SECONDS = 3
# Where Wine keeps per-program settings, the reported Windows version among them.
APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\"


def run_host(*args, timeout=60, env=None):
    """Runs the host to its end, shows what it printed, returns its exit code."""
    code, printed = HOST.run(*args, timeout=timeout, env=env)
    if printed:
        print(printed)
    return code


def saver_gone():
    """Waits until no full-screen saver's X window is left, nor the X window
    of its GL, which the next picture would otherwise take for the next
    saver's. The host ends only once Wine's own windows of its saver went."""
    return processes.wait_for(lambda: not screen.saver_windows() and screen.gl_window() is None, 15)


def ended(process, seconds=8):
    return processes.ended(process, seconds)


def finish(process):
    """Leaves nothing running: the host ends its saver at its own time-out,
    and a process's windows can outlive it by a moment. Keeps what the host
    reported in PROCESS.report."""
    code = processes.stop(process, RUN_SECONDS + 10)
    check(saver_gone(), "the saver's windows are gone after its process")
    process.report = host.forget(process)
    return code


def start_full_screen(tail, saver=SAVER, env=None, seconds=RUN_SECONDS):
    """Starts a full-screen saver through the host, which ends it after
    SECONDS, and returns once it draws. Keys then reach it because it brings
    its window to the foreground: Wine, told that no window manager runs
    here, then gives that window the X keyboard focus itself, as a
    desktop's window manager would."""
    # A saver window still there would make this start the second one.
    check(saver_gone(), "no saver window before %r" % tail)
    if screen.pointer() != START_POINT:
        screen.xdotool("mousemove", "--sync", str(START_POINT[0]), str(START_POINT[1]))
        # Wine's record of the pointer misses a move made while none of its
        # programs used the display: a saver started next would read the old
        # place, then meet the new one as a move of the user's. A Wine
        # program that opens the display first brings the record up to date.
        HOST.run("monitors")
    process = HOST.start("run", saver, tail, str(seconds), env=env)
    if not check(processes.wait_for(lambda: len(screen.saver_windows()) == 1, 15), "full-screen window for %r" % tail):
        with open(process.log, errors="replace") as log:
            print("the saver's process: exit code %s; Wine's errors:\n%s" % (process.poll(), log.read().strip()))
    check(processes.wait_for(model_drawn, 20), "the saver draws for %r" % tail)
    check(screen_drawn() or not shows(SCREEN_BLACK) and processes.wait_for(screen_drawn, SCREEN_SECONDS),
          "the screen shows the saver's picture for %r" % tail, SCREEN_BLACK)
    return process


def desktop_state():
    """The monitors Wine reports, sorted, and, while a full-screen saver
    runs, the rectangles of its window and its render child on the desktop
    (from the host) and of its X window on the X screen; while a preview
    runs in the host's window, its window's rectangle on the desktop."""
    state = HOST.desktop()
    state["monitors"] = sorted(state["monitors"])
    windows = screen.saver_windows()
    state["x_window"] = screen.place(windows[0]) if windows else None
    return state


def check_reported(layout, what, seconds=LAYOUT_SECONDS):
    """Within SECONDS Wine reports the monitors of LAYOUT (name: rectangle)."""
    return check(processes.wait_for(lambda: desktop_state()["monitors"] == sorted(layout.values()), seconds), what)


def check_held_preview(where, change=None):
    """The picture inside the host's window, while the host holds it: one
    view of the whole window, whatever the monitors. With CHANGE (what,
    layout), the monitors then change to that layout, and the preview goes
    on."""
    with tempfile.TemporaryDirectory() as workdir:
        stop = os.path.join(workdir, "stop")
        process = subprocess.Popen(HOST.command("preview", SAVER, "/p %u", "until:Z:" + stop),
                                   stdout=subprocess.PIPE, text=True)
        try:
            look_at_preview(where)
            if change:
                what, layout = change
                monitors.set_layout(layout)
                what = "%s, %s" % (where, what)
                check_reported(layout, "%s: Wine reports the new monitors" % what)
                look_at_preview(what)
        finally:
            open(stop, "w").close()
        check(processes.stop(process, 30) == 0, "%s: held, ends with 0" % where)
        print(process.communicate()[0].strip())


def look_at_preview(where):
    check(processes.wait_for(model_drawn, 20), "%s: drawn" % where)
    check_model(picture_stats(), where, ONE_VIEW)
    # The preview's window on the X screen, whose top left is the desktop's.
    state = desktop_state()
    left, top = geometry.bounds(state["monitors"] or [(0, 0, 0, 0)])[:2]
    area = state["preview"]
    if not area:
        check(False, "%s: the host reports the preview's window" % where)
        return
    on_screen = [geometry.shift(area, -left, -top)]
    if not shows(SCREEN_BLACK):
        processes.wait_for(lambda: model_drawn(lambda: screen_parts(on_screen, "50%")[0]), SCREEN_SECONDS)
    check_screen(screen_parts(on_screen)[0], "%s on the screen" % where, ONE_VIEW, SCREEN_BLACK,
                 OTHER_PROCESS_GL_CHILD)


def report_version(name, version):
    """Makes Wine report VERSION to the program called NAME, and to no other."""
    wine.reg("add", APP_DEFAULTS + name, "/v", "Version", "/t", "REG_SZ", "/d", version, "/f", must=True)


@contextlib.contextmanager
def saver_copy(name):
    """A copy of the saver under NAME in a folder of its own; the folder and
    any version setting for NAME go afterwards."""
    workdir = tempfile.mkdtemp(prefix="saver-e2e-")
    try:
        copy = os.path.join(workdir, name)
        shutil.copy(SAVER, copy)
        yield copy
    finally:
        wine.reg("delete", APP_DEFAULTS + name, "/f")
        shutil.rmtree(workdir, ignore_errors=True)
