#!/usr/bin/env python3
"""Runs the built saver under Wine as the system would and checks its
command-line modes, windows, pictures and exit codes. The X display and the
wineserver come from scripts/with-display.sh; for the group monitors, from
scripts/two-monitors.sh inside it.
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
RUN_SECONDS = 25  # the host ends a saver that runs longer
START_POINT = (500, 400)
# Every Windows the saver is for, as Wine's per-program setting names them,
# and whether it belongs to the 95/98 family.
VERSIONS = [("win95", True), ("win98", True), ("winme", True), ("nt40", False), ("win2k", False),
            ("winxp", False), ("win7", False), ("win10", False)]
# Where Wine keeps per-program settings, the reported Windows version among them.
APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\"
# The desktop of scripts/two-monitors.sh: two monitors of different sizes side
# by side, tops aligned, as (left, top, right, bottom).
MONITORS = [(0, 0, 800, 600), (800, 0, 1440, 480)]
SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "scripts")
CAPTURE = os.path.join(SCRIPTS, "capture-gl.sh")
GL_WINDOW = os.path.join(SCRIPTS, "gl-window.sh")

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def host(*args, timeout=60, env=None):
    done = subprocess.run([WINE, HOST, *args], capture_output=True, text=True, timeout=timeout, env=env)
    if done.stdout.strip():
        print(done.stdout.strip())
    return done.returncode


def start(tail, saver=SAVER, env=None):
    """Starts the saver through the host. Wine's error messages for it go to
    a file of their own, shown if the saver does not come up."""
    with tempfile.NamedTemporaryFile(prefix="saver-e2e-", suffix=".log", delete=False) as log:
        process = subprocess.Popen([WINE, HOST, "run", saver, tail, str(RUN_SECONDS)], stdout=subprocess.DEVNULL,
                                   stderr=log, env=dict(env or os.environ, WINEDEBUG="err+all"))
    process.log = log.name
    return process


def show_log(process):
    print("the saver's process: exit code %s; Wine's errors:" % process.poll())
    with open(process.log, errors="replace") as log:
        print(log.read().strip() or "(none)")


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=20).stdout.split()


def saver_windows():
    return xdotool("search", "--onlyvisible", "--name", "^Screen Saver$")


def saver_gone():
    """Waits until no full-screen saver window is left, neither the one Wine
    keeps for a moment after its process, nor its X window."""
    return host("gone", "15") == 0 and wait_for(lambda: not saver_windows(), 15)


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
    and a process's windows can outlive it by a moment."""
    code = ended(process, RUN_SECONDS + 10)
    if code is None:
        process.kill()
        process.wait()
    check(saver_gone(), "the saver's windows are gone after its process")
    os.remove(process.log)
    return code


def classify(raw, width):
    """Counts black, red and other pixels of 8-bit RGB data and finds the
    middle of the red ones as fractions of the picture's width and height."""
    pixels = len(raw) // 3
    black = red = other = 0
    sum_x = sum_y = 0
    height = pixels // width
    box = [width, height, -1, -1]  # left, top, right, bottom of the red pixels
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
        else:
            other += 1
    middle = (sum_x / red / width, sum_y / red / height) if red else None
    return dict(pixels=pixels, black=black, red=red, other=other, middle=middle, box=box, width=width,
                height=height)


def rgb(image, scale="100%", crop=None):
    """8-bit RGB data of the image, or of the rectangle (left, top, right,
    bottom) of it, scaled, and its width."""
    cut = ["-crop", "%dx%d+%d+%d" % (crop[2] - crop[0], crop[3] - crop[1], crop[0], crop[1]), "+repage"] if crop else []
    ppm = subprocess.run(["convert", image, *cut, "-scale", scale, "-depth", "8", "ppm:-"], capture_output=True,
                         timeout=30).stdout
    # P6 header: magic, width, height and maximum, the last followed by
    # exactly one blank before the data.
    header = re.match(rb"P6\s+(\d+)\s+\d+\s+\d+\s", ppm)
    return ppm[header.end():], int(header.group(1))


def screen_stats():
    """The screen as the root window shows it."""
    with tempfile.TemporaryDirectory() as workdir:
        image = os.path.join(workdir, "root.png")
        subprocess.run(["import", "-window", "root", image], check=True, timeout=30)
        return classify(*rgb(image))


def picture_stats(scale="100%"):
    """What the saver's GL draws, read from Wine's X window for it."""
    with tempfile.TemporaryDirectory() as workdir:
        image = os.path.join(workdir, "gl.png")
        subprocess.run([CAPTURE, image], check=True, timeout=30)
        return classify(*rgb(image, scale))


def picture_parts(rectangles):
    """The size of the saver's GL window and what it draws within each
    rectangle of it, from one picture. Wine keeps that window off screen, its
    top left at (-1, -1), and a picture of it is cut where the screen ends."""
    window = subprocess.run([GL_WINDOW], capture_output=True, text=True, timeout=30).stdout.strip()
    info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True, timeout=30).stdout
    field = lambda name: int(re.search(r"%s:\s*(-?\d+)" % name, info).group(1))
    x, y = field("Absolute upper-left X"), field("Absolute upper-left Y")
    with tempfile.TemporaryDirectory() as workdir:
        image = os.path.join(workdir, "gl.png")
        subprocess.run(["import", "-silent", "-window", window, image], check=True, timeout=30)
        cut = lambda r: (max(r[0] + x, 0), max(r[1] + y, 0), r[2] + x, r[3] + y)
        return (field("Width"), field("Height")), [classify(*rgb(image, crop=cut(r))) for r in rectangles]


def model_drawn():
    """The first frames are on the screen: a quick, coarse look."""
    stats = picture_stats("12.5%")
    return stats["red"] > stats["pixels"] // 200


def check_model(stats, where):
    """Dark red on black, and the model about the middle of the picture."""
    print("%s: %s" % (where, stats))
    check(stats["black"] > stats["pixels"] // 2, "%s: background black" % where)
    check(stats["red"] > stats["pixels"] // 200, "%s: the red model is drawn" % where)
    check(stats["other"] < stats["pixels"] // 1000, "%s: no colours besides black and red" % where)
    middle = stats["middle"]
    check(middle is not None and abs(middle[0] - 0.5) < 0.2 and abs(middle[1] - 0.5) < 0.2,
          "%s: the model is centred" % where)


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
    # The picture inside the host's window, while the host holds it.
    process = subprocess.Popen([WINE, HOST, "preview", SAVER, "/p %u", "6000"], stdout=subprocess.PIPE, text=True)
    check(wait_for(model_drawn, 20), "the preview draws")
    check_model(picture_stats(), "preview")
    check(ended(process, 30) == 0, "held preview ends with 0")
    if process.poll() is None:
        process.kill()
    print(process.communicate()[0].strip())


def about():
    for tail, owner in [("", "unowned"), ("  -/ ", "unowned"), ("/c:%u", "owned"), ("/c", "owned"),
                        ("/c:4294967295", "owned"), ("/c:", "owned"), ("/c %u", "owned"),
                        ("-C:%u /s", "owned")]:
        check(host("about", SAVER, tail, owner) == 0, "about box from tail %r (%s)" % (tail, owner))


def start_full_screen(tail, saver=SAVER, env=None):
    """Starts a full-screen saver and returns once it draws. Keys then reach
    it because it brings its window to the foreground: Wine, told that no
    window manager runs here, then gives that window the X keyboard focus
    itself, as a desktop's window manager would."""
    # A saver window still there would make this start the second one.
    check(saver_gone(), "no saver window before %r" % tail)
    xdotool("mousemove", str(START_POINT[0]), str(START_POINT[1]))
    process = start(tail, saver, env)
    shown = wait_for(lambda: len(saver_windows()) == 1, 15)
    check(shown, "full-screen window for %r" % tail)
    if not shown:
        show_log(process)
    check(wait_for(model_drawn, 20), "the saver draws for %r" % tail)
    return process


def fullscreen():
    process = start_full_screen("/s")
    windows = saver_windows()
    if windows:
        geometry = xdotool("getwindowgeometry", "--shell", windows[0])
        size = dict(item.split("=") for item in geometry)
        check(size.get("WIDTH") == "1024" and size.get("HEIGHT") == "768" and size.get("X") == "0"
              and size.get("Y") == "0", "window covers the screen: %s" % size)
    cover = screen_stats()
    check(cover["black"] + cover["red"] == cover["pixels"], "the screen shows only the saver: %s" % cover)
    check_model(picture_stats(), "full screen")

    # Moves are measured from where the pointer is now: a new Wine process
    # can put the X pointer where Wine last knew it, not where it was moved.
    location = dict(item.split(":") for item in xdotool("getmouselocation"))
    x, y = int(location["x"]), int(location["y"])
    print("pointer before the moves: %d, %d" % (x, y))
    xdotool("mousemove", str(x + 2), str(y + 2))
    time.sleep(1.0)
    check(process.poll() is None, "a move of 4 pixels leaves it running")
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


def win98():
    """The 95/98 family, reported by Wine for a copy of the saver only."""
    name = "saver98.scr"
    desktop = "HKCU\\Control Panel\\Desktop"
    with saver_copy(name) as saver98:
        shutil.copy(STAND_IN, os.path.join(os.path.dirname(saver98), "PASSWORD.CPL"))
        report_version(name, "win98")
        try:
            code = host("run", saver98, "/a %u", "20")
            check(code == 0, "change-password request ends with 0 on the 95/98 family (got %d)" % code)
            check(host("run", SAVER, "/a", "15") == INVALID, "the NT-family original still refuses /a")

            reg("add", desktop, "/v", "ScreenSaveUsePassword", "/t", "REG_DWORD", "/d", "1", "/f", must=True)
            refuse = dict(os.environ, PASSWORD_STANDIN_ANSWER="0")
            process = start_full_screen("/s", saver98, refuse)
            for action, what in [(("key", "a"), "key"), (("click", "1"), "click"),
                                 (("mousemove", "700", "600"), "mouse move")]:
                xdotool(*action)
                time.sleep(1.0)
                check(process.poll() is None, "a refusing provider keeps the saver after a %s" % what)
            check(host("end") == 0, "the refused saver is ended from outside")
            code = finish(process)
            check(code == 98, "refused saver ran until it was ended (got %s)" % code)

            approve = dict(os.environ, PASSWORD_STANDIN_ANSWER="1")
            process = start_full_screen("/s", saver98, approve)
            xdotool("key", "a")
            check(ended(process) == 0, "an approving provider lets a key end it with 0")
            finish(process)
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


def monitors():
    """On a desktop of two monitors of different sizes, full screen shows
    the whole model on each, centred; a key still ends it with 0."""
    listed = subprocess.run([WINE, HOST, "monitors"], capture_output=True, text=True, timeout=60)
    print(listed.stdout.strip())
    expected = " ".join("%d,%d-%d,%d" % monitor for monitor in MONITORS)
    check(listed.returncode == len(MONITORS) and listed.stdout.split(":", 1)[-1].split() == expected.split(),
          "Wine reports %d monitors: %s" % (len(MONITORS), expected))
    desktop = (max(m[2] for m in MONITORS), max(m[3] for m in MONITORS))
    process = start_full_screen("/s")
    windows = saver_windows()
    if windows:
        size = dict(item.split("=") for item in xdotool("getwindowgeometry", "--shell", windows[0]))
        check((size.get("X"), size.get("Y"), size.get("WIDTH"), size.get("HEIGHT")) == ("0", "0") + tuple(
            map(str, desktop)), "window covers the desktop: %s" % size)
    picture, parts = picture_parts(MONITORS)
    check(picture == desktop, "the GL window covers the desktop: %dx%d" % picture)
    for monitor, stats in zip(MONITORS, parts):
        where = "monitor %d,%d-%d,%d" % monitor
        check_model(stats, where)
        left, top, right, bottom = stats["box"]
        check(0 < left and right < stats["width"] - 1 and 0 < top and bottom < stats["height"] - 1,
              "%s: the whole model, clear of the edges: red within %s" % (where, stats["box"]))
    xdotool("key", "a")
    check(ended(process) == 0, "a key ends it with 0")
    finish(process)


def main():
    {"table": table, "preview": preview, "about": about, "fullscreen": fullscreen, "win98": win98,
     "versions": versions, "monitors": monitors}[sys.argv[1]]()
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
