#!/usr/bin/env python3
"""Runs the built saver under Wine as the system would and checks its
command-line modes, windows, pictures and exit codes. The X display and the
wineserver come from scripts/lib/with-display.sh; for the group monitors, from
scripts/lib/with-monitors.sh, whose monitors this group changes while the saver
runs.
Usage: saver_e2e.py GROUP WINE SAVER HOST [PASSWORD_STAND_IN]
GROUP: table | preview | about | fullscreen | win98 | versions | monitors"""
import contextlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

WINE, SAVER, HOST = sys.argv[2:5]
STAND_IN = sys.argv[5] if len(sys.argv) > 5 else None
INVALID = 255  # the exit code -1 as Wine reports it
# The host ends a saver that runs longer: a net for a saver that no check
# ended, long enough that a slow (emulated, shared) machine never meets it.
RUN_SECONDS = 90
# The monitors' run goes through several layouts, each looked at for a while.
MONITORS_RUN_SECONDS = 400
START_POINT = (500, 400)
# How long the saver holds a jump of the pointer before it counts it.
HELD_JUMP_SECONDS = 1.0
# Every Windows the saver is for, as Wine's per-program setting names them,
# and whether it belongs to the 95/98 family.
VERSIONS = [("win95", True), ("win98", True), ("winme", True), ("nt40", False), ("win2k", False),
            ("winxp", False), ("win7", False), ("win10", False)]
# Where Wine keeps per-program settings, the reported Windows version among them.
APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\"
# The desktop of scripts/lib/with-monitors.sh as Windows places it (the primary at
# 0,0), each monitor by its RandR output as (left, top, right, bottom): one
# left of the primary, at negative coordinates, and one portrait.
MONITORS = {"DUMMY1": (-800, 0, 0, 600), "DUMMY0": (0, 0, 1024, 768), "DUMMY2": (1024, 0, 1624, 1000)}
# What the group changes while one saver runs: the outputs each change turns
# on, moves or resizes, or turns off (None).
CHANGES = [("a monitor added below the primary", {"DUMMY3": (0, 768, 800, 1368)}),
           ("the monitor left of the primary removed, so the desktop's origin moves", {"DUMMY1": None}),
           ("the added monitor moved above the primary, the portrait one made shorter",
            {"DUMMY3": (0, -600, 800, 0), "DUMMY2": (1024, 0, 1624, 800)}),
           ("down to the primary alone", {"DUMMY2": None, "DUMMY3": None})]
# Two changes within one look at the desktop, the second QUICK_SECONDS after
# the first, on the primary alone with the pointer at its middle: a monitor
# added above, then the primary moved right of another, so that the X server
# moves the pointer off the point where no monitor is left. The system's
# moves must not end the saver.
QUICK_PAIR = ("a quick pair of changes that moves the pointer",
              [{"DUMMY1": (0, -600, 800, 0)}, {"DUMMY3": (-1024, 0, 0, 768)}])
QUICK_SECONDS = 0.2
# Then the monitor above the primary slides along its top edge: the desktop
# keeps its rectangle, so the saver's windows keep their size.
SLIDE = ("the monitor above slid right along the primary's top edge", {"DUMMY1": (224, -600, 1024, 0)})
# A change made while a preview shows.
PREVIEW_CHANGE = ("a monitor added while a preview shows", {"DUMMY2": (1024, 0, 1624, 1000)})
# How soon after a change (once xrandr has made it) the saver must cover the
# new desktop; Wine itself takes about a second to see it.
LAYOUT_SECONDS = 3
# Pictures of every monitor spread over about one turn of the model, which
# is widest once a turn, and their scale: enough to find the model's edges.
PICTURES = 5
TURN_SECONDS = 3.0
MONITOR_SCALE = "25%"
# A preview is one view: its red has no red-free band across it wider than
# this share of the picture, as the black between views would be.
ONE_VIEW_GAP = 0.05
SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "scripts", "lib")
CAPTURE = os.path.join(SCRIPTS, "capture-gl.sh")
GL_WINDOW = os.path.join(SCRIPTS, "gl-window.py")
MONITOR_LAYOUT = os.path.join(SCRIPTS, "monitor-layout.sh")
# How long the screen may lag behind the GL window's picture.
SCREEN_SECONDS = 1.5
# The Wine the tests run on, e.g. "wine-10.0 (Debian 10.0~repack-6)", and
# its major version, which decides the known differences below.
WINE_VERSION = subprocess.run([WINE, "--version"], capture_output=True, text=True, timeout=60).stdout.strip()
WINE_MAJOR = next(iter(re.findall(r"^wine-(\d+)", WINE_VERSION)), None)
# Where the known differences that showed are listed, one a line, for the
# suite's summary; none when unset.
KNOWN_LOG = os.environ.get("SAVER_KNOWN_DIFFERENCES")


class Known:
    """What a Wine shows and Windows would not, by the Wine major versions
    that show it. A check marked with one still runs there; its failure is
    printed as a known difference of that Wine, and its passing fails, so
    that the mark goes once that Wine is fixed (as Wine's own tests mark
    theirs todo_wine)."""

    def __init__(self, wines, why):
        self.wines, self.why = set(wines), why


# Wine 8 draws a GL child window's picture into an off-screen X window of its
# own, which the checks read, and leaves the screen black there.
SCREEN_BLACK = Known({"8"}, "the screen stays black where a GL child window draws")
# Wine 10 gives a window that holds a whole monitor an X window of that one
# monitor's size, so the other monitors are not covered on the X screen.
ONE_MONITOR_X_WINDOW = Known({"10"}, "a window over several monitors gets an X window of one monitor")
# Wine 10 draws the GL of a child window that another process made (the
# preview, in the host's window) at the top left of that process's window,
# over its frame, not where the child is; a GDI child there, or a GL child of
# the window's own process, is drawn in its place.
OTHER_PROCESS_GL_CHILD = Known({"10"}, "another process's GL child window is drawn at its top-level window's "
                                       "top left, over the frame")

failures = []


def shows(known):
    """This Wine shows the difference KNOWN: what it keeps from showing is
    looked at once, not waited for."""
    return WINE_MAJOR in known.wines


def check(condition, what, *known):
    """Prints and counts one check; KNOWN are the differences that may make
    it fail under some Wine."""
    shown = next((k for k in known if shows(k)), None)
    if shown is None:
        print(("ok   " if condition else "FAIL ") + what, flush=True)
    elif condition:
        print("FAIL %s: passes, though marked as a known difference of Wine %s (%s): the mark must go" % (
            what, WINE_MAJOR, shown.why), flush=True)
        failures.append(what)
        return
    else:
        print("todo %s: a known difference of Wine %s (%s)" % (what, WINE_MAJOR, shown.why), flush=True)
        if KNOWN_LOG:
            with open(KNOWN_LOG, "a") as log:
                log.write("%s\t%s\n" % (shown.why, what.splitlines()[0]))
        return
    if not condition:
        failures.append(what)


def host(*args, timeout=60, env=None):
    done = subprocess.run([WINE, HOST, *args], capture_output=True, text=True, timeout=timeout, env=env)
    if done.stdout.strip():
        print(done.stdout.strip())
    return done.returncode


def start(tail, saver=SAVER, env=None, seconds=RUN_SECONDS):
    """Starts the saver through the host. Wine's error messages for it go to
    a file of their own, shown if the saver does not come up; what the host
    reports, to another."""
    with tempfile.NamedTemporaryFile(prefix="saver-e2e-", suffix=".log", delete=False) as log, \
            tempfile.NamedTemporaryFile(prefix="saver-e2e-", suffix=".out", delete=False) as out:
        process = subprocess.Popen([WINE, HOST, "run", saver, tail, str(seconds)], stdout=out,
                                   stderr=log, env=dict(env or os.environ, WINEDEBUG="err+all"))
    process.log, process.out = log.name, out.name
    return process


def show_log(process):
    print("the saver's process: exit code %s; Wine's errors:" % process.poll())
    with open(process.log, errors="replace") as log:
        print(log.read().strip() or "(none)")


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=20).stdout.split()


def saver_windows():
    return xdotool("search", "--onlyvisible", "--name", "^Screen Saver$")


def gl_window_left():
    return subprocess.run([GL_WINDOW], capture_output=True, timeout=30).returncode == 0


def saver_gone():
    """Waits until no full-screen saver's X window is left, nor the X window
    of its GL, which the next picture would otherwise take for the next
    saver's. The host ends only once Wine's own windows of its saver went."""
    return wait_for(lambda: not saver_windows() and not gl_window_left(), 15)


def wait_for(predicate, seconds):
    end = time.time() + seconds
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.1)
    return False


def ended(process, seconds=8):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        return None


def finish(process):
    """Leaves nothing running: the host ends its saver at its own time-out,
    and a process's windows can outlive it by a moment. Keeps what the host
    reported in PROCESS.report."""
    code = ended(process, RUN_SECONDS + 10)
    if code is None:
        process.kill()
        process.wait()
    check(saver_gone(), "the saver's windows are gone after its process")
    with open(process.out, errors="replace") as out:
        process.report = out.read()
    os.remove(process.log)
    os.remove(process.out)
    return code


def widest_gap(marked):
    """The longest run of numbers missing between the lowest and the highest
    of MARKED."""
    ordered = sorted(marked)
    return max((b - a - 1 for a, b in zip(ordered, ordered[1:])), default=0)


def classify(raw, width):
    """Counts black, red and other pixels of 8-bit RGB data and finds the
    middle of the red ones as fractions of the picture's width and height,
    their bounding box and the widest red-free bands of columns and of rows
    across it."""
    pixels = len(raw) // 3
    black = red = other = 0
    sum_x = sum_y = 0
    height = pixels // width
    box = [width, height, -1, -1]  # left, top, right, bottom of the red pixels
    columns, rows = set(), set()
    for i in range(0, pixels * 3, 3):
        r, g, b = raw[i], raw[i + 1], raw[i + 2]
        if r < 8 and g < 8 and b < 8:
            black += 1
        elif r > 2 * g + 8 and r > 2 * b + 8:
            red += 1
            x, y = (i // 3) % width, (i // 3) // width
            sum_x += x
            sum_y += y
            box = [min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)]
            columns.add(x)
            rows.add(y)
        else:
            other += 1
    middle = (sum_x / red / width, sum_y / red / height) if red else None
    return dict(pixels=pixels, black=black, red=red, other=other, middle=middle, box=box, width=width,
                height=height, gaps=(widest_gap(columns), widest_gap(rows)))


def rgb(image, scale="100%", crop=None, resize="-scale"):
    """8-bit RGB data of the image, or of the rectangle (left, top, right,
    bottom) of it, scaled (by averaging, or with -sample by taking every
    so many pixels, which keeps their colours), and its width."""
    cut = ["-crop", "%dx%d+%d+%d" % (crop[2] - crop[0], crop[3] - crop[1], crop[0], crop[1]), "+repage"] if crop else []
    ppm = subprocess.run(["convert", image, *cut, resize, scale, "-depth", "8", "ppm:-"], capture_output=True,
                         timeout=30).stdout
    # P6 header: magic, width, height and maximum, the last followed by
    # exactly one blank before the data.
    header = re.match(rb"P6\s+(\d+)\s+\d+\s+\d+\s", ppm)
    return ppm[header.end():], int(header.group(1))


def screen_stats(scale="100%"):
    """The screen as the root window shows it."""
    with tempfile.TemporaryDirectory() as workdir:
        image = os.path.join(workdir, "root.png")
        subprocess.run(["import", "-window", "root", image], check=True, timeout=30)
        return classify(*rgb(image, scale))


def screen_parts(rectangles, scale):
    """What the screen shows within each rectangle of the X screen, from one
    picture of the root window, sampled at SCALE."""
    with tempfile.TemporaryDirectory() as workdir:
        image = os.path.join(workdir, "root.ppm")
        subprocess.run(["import", "-window", "root", image], check=True, timeout=30)
        return [classify(*rgb(image, scale, r, "-sample")) for r in rectangles]


def picture_stats(scale="100%"):
    """What the saver's GL draws, read from Wine's X window for it; None
    when there is no such window."""
    with tempfile.TemporaryDirectory() as workdir:
        image = os.path.join(workdir, "gl.png")
        if subprocess.run([CAPTURE, image], timeout=30).returncode != 0:
            return None
        return classify(*rgb(image, scale))


def frames_drawn(count=2):
    """Waits until the saver has drawn COUNT more frames, each one a new
    picture in its GL window. Input comes before painting in a window's
    queue, so an input the X server had before the first of them has been
    handled."""
    def picture():
        with tempfile.TemporaryDirectory() as workdir:
            image = os.path.join(workdir, "gl.ppm")
            return subprocess.run([CAPTURE, image], timeout=30).returncode == 0 and open(image, "rb").read()
    last = picture()
    for _ in range(count):
        if not wait_for(lambda: picture() not in (last, False), 10):
            return False
        last = picture()
    return True


def picture_parts(rectangles, origin, scale):
    """The size of the saver's GL window and what it draws within each
    rectangle of the desktop, from one picture, sampled at SCALE; None for a
    rectangle outside the picture, and no size when there is no GL window.
    ORIGIN is where the window's top left is on the desktop. Wine keeps that
    window off screen, its top left at (-1, -1), and a picture of it is cut
    where the screen ends."""
    window = subprocess.run([GL_WINDOW], capture_output=True, text=True, timeout=30).stdout.strip()
    if not window:
        return None, [None] * len(rectangles)
    info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True, timeout=30).stdout
    field = lambda name: int(re.search(r"%s:\s*(-?\d+)" % name, info).group(1))
    x, y = field("Absolute upper-left X"), field("Absolute upper-left Y")
    width, height = field("Width"), field("Height")
    cuts = [(max(r[0] - origin[0] + x, 0), max(r[1] - origin[1] + y, 0), min(r[2] - origin[0] + x, width + x),
             min(r[3] - origin[1] + y, height + y)) for r in rectangles]
    with tempfile.TemporaryDirectory() as workdir:
        image = os.path.join(workdir, "gl.ppm")
        subprocess.run(["import", "-silent", "-window", window, image], check=True, timeout=30)
        return (width, height), [classify(*rgb(image, scale, c, "-sample")) if c[0] < c[2] and c[1] < c[3] else None
                                 for c in cuts]


def model_drawn(stats=lambda: picture_stats("12.5%")):
    """The first frames are in the GL window (or, with STATS=screen_drawn's,
    on the screen): a quick, coarse look. A GL window that goes while it is
    read is no picture yet."""
    try:
        drawn = stats()
    except subprocess.CalledProcessError:
        return False
    return drawn is not None and drawn["red"] > drawn["pixels"] // 200


def screen_drawn():
    return model_drawn(lambda: screen_stats("12.5%"))


# What a picture of the model shows: dark red on black, the model about its
# middle.
MODEL = [("background black", lambda s: s["black"] > s["pixels"] // 2),
         ("the red model is drawn", lambda s: s["red"] > s["pixels"] // 200),
         ("no colours besides black and red", lambda s: s["other"] < s["pixels"] // 1000),
         ("the model is centred", lambda s: s["middle"] is not None and abs(s["middle"][0] - 0.5) < 0.2
          and abs(s["middle"][1] - 0.5) < 0.2)]
# A monitor's part of the picture shows all of the model.
WHOLE_MODEL = MODEL + [("the whole model, clear of the edges",
                        lambda s: 0 < s["box"][0] and s["box"][2] < s["width"] - 1 and 0 < s["box"][1]
                        and s["box"][3] < s["height"] - 1)]
# A preview shows one view, not one per monitor.
ONE_VIEW = MODEL + [("one model, not several",
                     lambda s: s["gaps"][0] < s["width"] * ONE_VIEW_GAP and s["gaps"][1] < s["height"] * ONE_VIEW_GAP)]


def check_model(stats, where, checks=MODEL):
    print("%s: %s" % (where, stats))
    if stats is None:
        check(False, "%s: the saver's GL window is there to read" % where)
        return
    for what, holds in checks:
        check(holds(stats), "%s: %s" % (where, what))


def check_screen(stats, where, checks, *known):
    """One check that the screen's picture STATS holds all CHECKS: a black
    screen passes some of them alone, which a mark must not count."""
    print("%s: %s" % (where, stats))
    wrong = [what for what, holds in checks if not holds(stats)]
    check(not wrong, "%s: %s%s" % (where, ", ".join(what for what, _ in checks),
                                   "; not: " + ", ".join(wrong) if wrong else ""), *known)


def table():
    """Command tails that name no usable mode end with -1 at once."""
    for tail in ["/x", "/?", "/\ts", "\x01/x", "/p 4294967295", "/p", "/p 0", "/p abc", "/p:65570",
                 "/p 0x12", "/l", "/a 12", "-a"]:
        code = host("run", SAVER, tail, "15")
        check(code == INVALID, "tail %r exits with -1 (got %d)" % (tail, code))


def preview():
    for tail in ["/p %u", "/p%u", "/P    %u", "/l %u", "-L %u /s"]:
        check(host("preview", SAVER, tail) == 0, "preview with tail %r" % tail)
    check(host("orphan", SAVER) == 0, "a preview ends when its host process dies")
    check_held_preview("preview")


def check_held_preview(where, layout=None):
    """The picture inside the host's window, while the host holds it: one
    view of the whole window, whatever the monitors. With LAYOUT, the
    monitors then change to it, and the preview goes on."""
    with tempfile.TemporaryDirectory() as workdir:
        stop = os.path.join(workdir, "stop")
        process = subprocess.Popen([WINE, HOST, "preview", SAVER, "/p %u", "until:Z:" + stop],
                                   stdout=subprocess.PIPE, text=True)
        try:
            look_at_preview(where)
            if layout:
                set_monitors(layout, {})
                what = "%s, %s" % (where, PREVIEW_CHANGE[0])
                check(wait_for(lambda: desktop_state()["monitors"] == sorted(layout.values()), LAYOUT_SECONDS),
                      "%s: Wine reports the new monitors" % what)
                look_at_preview(what)
        finally:
            open(stop, "w").close()
        check(ended(process, 30) == 0, "%s: held, ends with 0" % where)
        if process.poll() is None:
            process.kill()
        print(process.communicate()[0].strip())


def look_at_preview(where):
    check(wait_for(model_drawn, 20), "%s: drawn" % where)
    check_model(picture_stats(), where, ONE_VIEW)
    # The preview's window on the X screen, whose top left is the desktop's.
    state = desktop_state()
    left, top = bounds(state["monitors"] or [(0, 0, 0, 0)])[:2]
    area = state["preview"]
    if area and not shows(SCREEN_BLACK):
        wait_for(lambda: model_drawn(lambda: screen_parts([shift(area, -left, -top)], "50%")[0]), SCREEN_SECONDS)
    if area:
        check_screen(screen_parts([shift(area, -left, -top)], "100%")[0], "%s on the screen" % where, ONE_VIEW,
                     SCREEN_BLACK, OTHER_PROCESS_GL_CHILD)
    else:
        check(False, "%s: the host reports the preview's window" % where)


def about():
    """Every way a user ends the about box gives 1: Enter, Esc, the caption's
    close button and a close request, each twice."""
    for tail, owner, how in [("", "unowned", "enter"), ("  -/ ", "unowned", "esc"),
                             ("/c:%u", "owned", "close-button"), ("/c", "owned", "close"),
                             ("/c:4294967295", "owned", "enter"), ("/c:", "owned", "esc"),
                             ("/c %u", "owned", "close-button"), ("-C:%u /s", "owned", "close")]:
        check(host("about", SAVER, tail, owner, how) == 0, "about box from tail %r (%s), ended by %s" % (
            tail, owner, how))


def start_full_screen(tail, saver=SAVER, env=None, seconds=RUN_SECONDS):
    """Starts a full-screen saver and returns once it draws. Keys then reach
    it because it brings its window to the foreground: Wine, told that no
    window manager runs here, then gives that window the X keyboard focus
    itself, as a desktop's window manager would."""
    # A saver window still there would make this start the second one.
    check(saver_gone(), "no saver window before %r" % tail)
    xdotool("mousemove", str(START_POINT[0]), str(START_POINT[1]))
    process = start(tail, saver, env, seconds)
    shown = wait_for(lambda: len(saver_windows()) == 1, 15)
    check(shown, "full-screen window for %r" % tail)
    if not shown:
        show_log(process)
    check(wait_for(model_drawn, 20), "the saver draws for %r" % tail)
    check(screen_drawn() or not shows(SCREEN_BLACK) and wait_for(screen_drawn, SCREEN_SECONDS),
          "the screen shows the saver's picture for %r" % tail, SCREEN_BLACK)
    return process


def fullscreen():
    process = start_full_screen("/s")
    windows = saver_windows()
    if windows:
        geometry = xdotool("getwindowgeometry", "--shell", windows[0])
        size = dict(item.split("=") for item in geometry)
        check(size.get("WIDTH") == "1024" and size.get("HEIGHT") == "768" and size.get("X") == "0"
              and size.get("Y") == "0", "window covers the screen: %s" % size)
    check_screen(screen_stats(), "full screen on the screen", MODEL, SCREEN_BLACK)
    check_model(picture_stats(), "full screen")

    # Moves are measured from where the pointer is now: a new Wine process
    # can put the X pointer where Wine last knew it, not where it was moved.
    location = dict(item.split(":") for item in xdotool("getmouselocation"))
    x, y = int(location["x"]), int(location["y"])
    print("pointer before the moves: %d, %d" % (x, y))
    xdotool("mousemove", "--sync", str(x + 2), str(y + 2))
    check(frames_drawn() and process.poll() is None, "a move of 4 pixels, handled, leaves it running")
    xdotool("mousemove", str(x + 3), str(y + 2))
    check(ended(process) == 0, "a move of 5 pixels ends it with 0")
    finish(process)

    process = start_full_screen("/s")
    second = host("run", SAVER, "/s", "15")
    check(second == 0, "second full-screen start exits 0 (got %d)" % second)
    check(len(saver_windows()) == 1, "second start created no window")
    check(process.poll() is None, "first saver still runs")
    xdotool("key", "a")
    check(ended(process) == 0, "first saver ends with 0 on a key")
    finish(process)

    for tail, action, what in [("-s", ("key", "a"), "a key"), ("s", ("click", "1"), "a click"),
                               ("/S", ("key", "space"), "space"), ("/saver", ("click", "3"), "right click"),
                               ("--/ /s", ("key", "Escape"), "Esc")]:
        process = start_full_screen(tail)
        xdotool(*action)
        check(ended(process) == 0, "%r ends with 0 on %s" % (tail, what))
        finish(process)
    check(not saver_windows(), "no saver window left")


def reg(*args, must=False):
    return subprocess.run([WINE, "reg", *args], check=must, capture_output=True, timeout=60)


def report_version(name, version):
    """Makes Wine report VERSION to the program called NAME, and to no other."""
    reg("add", APP_DEFAULTS + name, "/v", "Version", "/t", "REG_SZ", "/d", version,
        "/f", must=True)


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
        reg("delete", APP_DEFAULTS + name, "/f")
        shutil.rmtree(workdir, ignore_errors=True)


def provider_log(path):
    """The stand-in provider's lines so far, as "load window 0 running 0"."""
    try:
        with open(path, errors="replace") as log:
            return [line.strip() for line in log if line.strip()]
    except FileNotFoundError:
        return []


def verifications(path):
    return sum(line.startswith("verify ") for line in provider_log(path))


def win98():
    """The 95/98 family, reported by Wine for a copy of the saver only."""
    name = "saver98.scr"
    desktop = "HKCU\\Control Panel\\Desktop"
    with saver_copy(name) as saver98:
        shutil.copy(STAND_IN, os.path.join(os.path.dirname(saver98), "PASSWORD.CPL"))
        report_version(name, "win98")
        log = os.path.join(os.path.dirname(saver98), "provider.log")
        provider = lambda answer: dict(os.environ, PASSWORD_STANDIN_ANSWER=answer, PASSWORD_STANDIN_LOG="Z:" + log)
        try:
            code = host("run", saver98, "/a %u", "20")
            check(code == 0, "change-password request ends with 0 on the 95/98 family (got %d)" % code)
            check(host("run", SAVER, "/a", "15") == INVALID, "the NT-family original still refuses /a")

            reg("add", desktop, "/v", "ScreenSaveUsePassword", "/t", "REG_DWORD", "/d", "1", "/f", must=True)
            process = start_full_screen("/s", saver98, provider("0"))
            check([line[:13] for line in provider_log(log)] == ["load window 0"],
                  "the provider is loaded before the saver window: %s" % provider_log(log))
            # Each refused input asks once, and nothing asks again once a
            # held jump's time has passed: a bump held as a jump goes with
            # the key's close.
            bump = (START_POINT[0] + 100, START_POINT[1])
            for actions, what in [([("key", "a")], "key"), ([("click", "1")], "click"),
                                  ([("mousemove", "--sync", *map(str, bump)), ("key", "a")], "bump and a key"),
                                  ([("mousemove", "--sync", "700", "600")], "mouse move")]:
                asked = verifications(log)
                for action in actions:
                    xdotool(*action)
                check(wait_for(lambda: verifications(log) > asked, 10), "a %s asks the provider" % what)
                time.sleep(HELD_JUMP_SECONDS + 2.0)
                check(verifications(log) == asked + 1 and process.poll() is None,
                      "the provider's refusal of a %s keeps the saver, and it is not asked again (asked %d times)"
                      % (what, verifications(log) - asked))
            check(all(line.endswith("window 1 running 1") for line in provider_log(log)[1:]),
                  "the provider is asked with the saver window there and the saver-running state set: %s"
                  % provider_log(log))
            check(host("end") == 0, "the refused saver is ended from outside")
            code = finish(process)
            check(code == 98, "refused saver ran until it was ended (got %s)" % code)

            os.remove(log)
            process = start_full_screen("/s", saver98, provider("1"))
            code = subprocess.run([WINE, HOST, "run", saver98, "/s", "15"], capture_output=True,
                                  env=provider("1"), timeout=60).returncode
            check(code == 0 and sum(line.startswith("load") for line in provider_log(log)) == 1,
                  "a second full-screen start exits 0 (got %d) and never loads the provider" % code)
            xdotool("key", "a")
            check(ended(process) == 0, "an approving provider lets a key end it with 0")
            finish(process)
            # The refused saver, ended from outside, left the state set.
            check(provider_log(log) == ["load window 0 running 1", "verify window 1 running 1",
                                        "unload window 0 running 1"]
                  and "saver-running state after the saver: 0" in process.report,
                  "loaded before the window, asked once, unloaded after it, the saver-running state cleared last: "
                  "%s; %s" % (provider_log(log), process.report.strip()))
        finally:
            reg("delete", desktop, "/v", "ScreenSaveUsePassword", "/f")


def versions():
    """A copy of the saver told each version in turn: the family decides /a,
    and full screen draws the model and ends on a key."""
    name = "saver_version.scr"
    rows = []
    with saver_copy(name) as copy:
        for version, win9x in VERSIONS:
            report_version(name, version)
            change = host("run", copy, "/a %u", "20")
            check(change == (0 if win9x else INVALID), "%s: /a exits with %d" % (version, change))
            process = start_full_screen("/s", copy)
            stats = picture_stats()
            check_model(stats, "%s full screen" % version)
            xdotool("key", "a")
            code = ended(process)
            check(code == 0, "%s: a key ends full screen with 0 (got %s)" % (version, code))
            finish(process)
            family = {0: "95/98", INVALID: "NT"}.get(change, "?")
            rows.append((version, family, change, "model drawn (%d red pixels), key -> %s" % (stats["red"], code)))
    print("version  family  /a   /s")
    for row in rows:
        print("%-8s %-7s %-4s %s" % row)


def text(rectangle):
    return "%d,%d-%d,%d" % rectangle


def rectangles(words):
    return [tuple(int(n) for n in re.match(r"(-?\d+),(-?\d+)-(-?\d+),(-?\d+)$", word).groups()) for word in words]


def shift(rectangle, dx, dy):
    return (rectangle[0] + dx, rectangle[1] + dy, rectangle[2] + dx, rectangle[3] + dy)


def bounds(monitors):
    """The desktop's rectangle: the smallest one around every monitor."""
    return (min(m[0] for m in monitors), min(m[1] for m in monitors), max(m[2] for m in monitors),
            max(m[3] for m in monitors))


def desktop_state():
    """The monitors Wine reports, in order, and, while a full-screen saver
    runs, the rectangles of its window and its render child on the desktop
    (from the host) and of its X window on the X screen; while a preview
    runs in the host's window, its window's rectangle on the desktop."""
    lines = subprocess.run([WINE, HOST, "monitors"], capture_output=True, text=True, timeout=60).stdout.splitlines()
    state = dict(monitors=sorted(rectangles(lines[0].split(":", 1)[-1].split())) if lines else [], saver=None,
                 child=None, x_window=None, preview=None)
    for line in lines[1:]:
        words = line.split()
        if words[:1] == ["preview"]:
            state["preview"] = rectangles(words[1:2])[0]
        if words[:1] == ["saver"]:
            state["saver"] = rectangles(words[1:2])[0]
            state["child"] = rectangles(words[3:4])[0] if words[2:3] == ["child"] else None
    windows = saver_windows()
    if windows:
        size = dict(item.split("=") for item in xdotool("getwindowgeometry", "--shell", windows[0]))
        state["x_window"] = tuple(int(size[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))
    return state


def set_monitors(layout, change):
    """Makes the X server's monitors LAYOUT, turning off the outputs CHANGE
    turns off. X places the desktop's top left at 0,0."""
    left, top = bounds(layout.values())[:2]
    places = ["%s=%dx%d+%d+%d" % (name, r[2] - r[0], r[3] - r[1], r[0] - left, r[1] - top)
              for name, r in sorted(layout.items())]
    subprocess.run([MONITOR_LAYOUT, *places, *("%s=off" % name for name, r in change.items() if r is None)],
                   check=True, timeout=30)


def listed(faults):
    """The first few FAULTS, a line each, for a check's text."""
    return "".join("\n       " + fault for fault in faults[:PICTURES])


def check_desktop(process, layout, what, since):
    """Within LAYOUT_SECONDS of SINCE Wine reports the monitors of LAYOUT and
    the running saver's window, render child and X window cover their
    desktop; then every monitor shows the whole model, centred, in every one
    of several pictures over about one turn, and the saver still runs. False
    when it is gone."""
    expected = sorted(layout.values())
    desktop = bounds(expected)
    size = (desktop[2] - desktop[0], desktop[3] - desktop[1])
    state = {}
    # One monitor's X window is all a desktop of one monitor needs.
    several = (ONE_MONITOR_X_WINDOW,) if len(expected) > 1 else ()

    def covered():
        state.update(desktop_state())
        return state["monitors"] == expected and state["saver"] == state["child"] == desktop and (
            state["x_window"] == (0, 0) + size or any(map(shows, several)))

    settled = lambda: covered() or process.poll() is not None
    settled() or wait_for(settled, max(since + LAYOUT_SECONDS - time.time(), 0))
    pointer = xdotool("getmouselocation")[:2]
    print("%s after %.1f s: %s; X pointer %s" % (what, time.time() - since, state, " ".join(pointer)))
    check(state["monitors"] == expected, "%s: Wine reports %s" % (what, " ".join(map(text, expected))))
    check(state["saver"] == state["child"] == desktop, "%s: within %d s the saver window and its render child "
          "cover the desktop %s" % (what, LAYOUT_SECONDS, text(desktop)))
    # On a desktop of one monitor Wine 10 shows it only as an X window of
    # that monitor's size left where the primary was before the change.
    x_window = state["x_window"]
    stale = x_window is not None and x_window[2:] == size and x_window[:2] != (0, 0)
    marks = several or ((ONE_MONITOR_X_WINDOW,) if stale else ())
    check(state["x_window"] == (0, 0) + size, "%s: its X window covers the X screen, %dx%d: %s" % (
        (what,) + size + (state["x_window"],)), *marks)
    origin = state["child"][:2] if state["child"] else desktop[:2]
    names = sorted(layout)

    def every_monitor_drawn():
        try:
            parts = picture_parts([layout[name] for name in names], origin, MONITOR_SCALE)[1]
        except subprocess.CalledProcessError:
            return False
        return all(stats is not None and stats["red"] > 0 for stats in parts) or process.poll() is not None

    # Where a frame takes a third of a second (an emulated processor), the
    # first one with the new views can come well after the windows cover the
    # desktop: the pictures count from it.
    wait_for(every_monitor_drawn, LAYOUT_SECONDS)
    faults = {name: [] for name in names}
    screen_faults = {name: [] for name in names}
    # Each monitor where the X screen shows it: X puts the desktop's top
    # left at 0,0.
    on_screen = [shift(layout[name], -desktop[0], -desktop[1]) for name in names]
    gl_sizes = set()
    start = time.time()
    for picture in range(PICTURES if process.poll() is None else 0):
        time.sleep(max(start + picture * TURN_SECONDS / (PICTURES - 1) - time.time(), 0))
        gl_size, parts = picture_parts([layout[name] for name in names], origin, MONITOR_SCALE)
        gl_sizes.add(gl_size)
        screens = screen_parts(on_screen, MONITOR_SCALE)
        for name, stats, screen in zip(names, parts, screens):
            faults[name] += ["picture %d: %s: %s" % (picture, fault, stats) for fault, holds in WHOLE_MODEL
                             if stats is None or not holds(stats)]
            screen_faults[name] += ["picture %d: %s: %s: %s" % (picture, name, fault, screen)
                                    for fault, holds in WHOLE_MODEL if not holds(screen)]
    running = process.poll() is None
    check(running, "%s: the saver still runs, %.0f s on%s" % (
        what, time.time() - since, "" if running else " (it ended with %d)" % process.poll()))
    if not running:
        return False
    check(gl_sizes == {size}, "%s: the GL window is the desktop's size, %dx%d, in every picture: %s" % (
        (what,) + size + (" ".join("%dx%d" % gl_size if gl_size else "none" for gl_size in gl_sizes),)))
    for name in names:
        check(not faults[name], "%s: %s %s shows the whole model, centred, clear of its edges, in all %d pictures "
              "over %.0f s%s" % (what, name, text(layout[name]), PICTURES, TURN_SECONDS, listed(faults[name])))
    # The screen: each monitor that the saver's X window holds shows its
    # picture there, and with an X window the X screen's size, every one.
    x = state["x_window"]
    held = [name for name, r in zip(names, on_screen)
            if x and x[0] <= r[0] and x[1] <= r[1] and r[2] <= x[0] + x[2] and r[3] <= x[1] + x[3]]
    if held:
        check(not any(screen_faults[name] for name in held), "%s: on the screen, the monitors its X window holds (%s) "
              "show the whole model%s" % (what, " ".join(held), listed(sum((screen_faults[n] for n in held), []))),
              SCREEN_BLACK)
    else:
        print("%s: its X window %s holds no monitor whole" % (what, x))
    check(not any(screen_faults.values()), "%s: on the screen, every monitor shows the whole model%s" % (
        what, listed(sum(screen_faults.values(), []))), SCREEN_BLACK, *marks)
    return True


def flick_target(layout):
    """The X point farthest from the pointer among the corners, 10 pixels
    in, of where a monitor of LAYOUT and the saver's X window overlap; None
    when none is more than 64 pixels away."""
    x = desktop_state()["x_window"]
    left, top = bounds(layout.values())[:2]
    pointer = [int(word.split(":")[1]) for word in xdotool("getmouselocation")[:2]]
    corners = []
    for r in layout.values():
        r = shift(r, -left, -top)
        inside = (max(r[0], x[0]), max(r[1], x[1]), min(r[2], x[0] + x[2]), min(r[3], x[1] + x[3])) if x else (0, 0, 0, 0)
        if inside[2] - inside[0] > 20 and inside[3] - inside[1] > 20:
            corners += [(h, v) for h in (inside[0] + 10, inside[2] - 10) for v in (inside[1] + 10, inside[3] - 10)]
    far = max(corners, key=lambda c: abs(c[0] - pointer[0]) + abs(c[1] - pointer[1]), default=None)
    return far if far and abs(far[0] - pointer[0]) + abs(far[1] - pointer[1]) > 64 else None


def monitors():
    """Full screen on a desktop of monitors of different sizes, left of and
    right of the primary, portrait too, shows the whole model, centred, on
    each, and follows the desktop while it changes: monitors added, removed
    (the origin moving) and moved or resized, without ending. A key ends it
    with 0. A preview there is one view."""
    layout = dict(MONITORS)
    check(wait_for(lambda: desktop_state()["monitors"] == sorted(layout.values()), 10),
          "Wine reports the monitors %s" % " ".join(map(text, sorted(layout.values()))))
    process = start_full_screen("/s", seconds=MONITORS_RUN_SECONDS)
    running = check_desktop(process, layout, "%d monitors" % len(layout), time.time())
    for what, change in CHANGES:
        if not running:
            break
        layout = {name: r for name, r in dict(layout, **change).items() if r is not None}
        set_monitors(layout, change)
        running = check_desktop(process, layout, what, time.time())
    if running:
        xdotool("key", "a")
        check(ended(process) == 0, "a key ends it with 0")
    finish(process)

    layout = quick_pair(layout)
    check_held_preview("preview on %d monitors" % len(layout), dict(layout, **PREVIEW_CHANGE[1]))


def quick_pair(layout):
    """The quick pair of changes on the primary alone (LAYOUT), the slide,
    then a flick that ends the saver; returns the layout left."""
    # The pointer starts near the middle of the one monitor.
    process = start_full_screen("/s", seconds=MONITORS_RUN_SECONDS)
    what, changes = QUICK_PAIR
    since = time.time()
    for change in changes:
        layout = dict(layout, **change)
        time.sleep(max(since + QUICK_SECONDS - time.time(), 0))
        since = time.time()
        set_monitors(layout, change)
    running = check_desktop(process, layout, what, since)
    if running:
        layout = dict(layout, **SLIDE[1])
        set_monitors(layout, SLIDE[1])
        running = check_desktop(process, layout, SLIDE[0], time.time())
    if running:
        # One flick of the pointer, held as a jump that no display change
        # takes, ends it: to a monitor's corner far from the pointer, where
        # the saver's X window is, which holds one monitor under Wine 10.
        flick = flick_target(layout)
        check(flick is not None, "the saver's X window lies over a monitor, where a flick can reach it")
        if flick:
            xdotool("mousemove", "--sync", *map(str, flick))
            check(ended(process, HELD_JUMP_SECONDS + 8) == 0, "one flick of more than 64 pixels ends it with 0")
    finish(process)
    return layout


def main():
    {"table": table, "preview": preview, "about": about, "fullscreen": fullscreen, "win98": win98,
     "versions": versions, "monitors": monitors}[sys.argv[1]]()
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
