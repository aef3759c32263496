"""The current X display as the saver's user would meet it: the X window that
shows the saver's GL, windows' places, pictures of windows and of the whole
screen, their pixels, and input (xdotool's XTEST keys, clicks and moves).
Leaves out what a picture should show (the tests' rules)."""
import ctypes
import os
import re
import subprocess
import tempfile

TOOL_SECONDS = 30
# XRes's client-id mask for "the client's process id".
PID_MASK = 2
# A line of `xwininfo -root -tree`: id, name, class and size.
WINDOW_LINE = re.compile(r'^\s+(0x[0-9a-f]+) (?:"[^"]*"|\(has no name\)): \((.*)\)\s+(\d+)x(\d+)[+-]', re.M)
UNNAMED = re.compile(r'^\s+0x[0-9a-f]+ \(has no name\)', re.M)
SAVER_TITLE = "^Screen Saver$"


class ClientIdSpec(ctypes.Structure):
    _fields_ = [("client", ctypes.c_ulong), ("mask", ctypes.c_uint)]


class ClientIdValue(ctypes.Structure):
    _fields_ = [("spec", ClientIdSpec), ("length", ctypes.c_long), ("value", ctypes.c_void_p)]


# Xlib's default error handler ends the process: a window that goes while it
# is asked about must only be no answer.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, event: 0)


def libraries():
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XSetErrorHandler(ERROR_HANDLER)
    xres = ctypes.CDLL("libXRes.so.1")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xres.XResQueryClientIds.argtypes = [ctypes.c_void_p, ctypes.c_long, ctypes.POINTER(ClientIdSpec),
                                        ctypes.POINTER(ctypes.c_long), ctypes.POINTER(ctypes.POINTER(ClientIdValue))]
    xres.XResGetClientPid.argtypes = [ctypes.POINTER(ClientIdValue)]
    xres.XResClientIdsDestroy.argtypes = [ctypes.c_long, ctypes.POINTER(ClientIdValue)]
    return x11, xres


def process_of(xres, display, window):
    """The id of the process whose client made WINDOW, or None."""
    spec = ClientIdSpec(window, PID_MASK)
    count = ctypes.c_long()
    values = ctypes.POINTER(ClientIdValue)()
    if xres.XResQueryClientIds(display, 1, ctypes.byref(spec), ctypes.byref(count), ctypes.byref(values)) != 0:
        return None
    pid = xres.XResGetClientPid(values) if count.value else -1
    xres.XResClientIdsDestroy(count.value, values)
    return pid if pid >= 0 else None


def output(*command, check=False):
    """What the X tool COMMAND prints; with CHECK, its failure raises."""
    return subprocess.run(command, capture_output=True, text=True, check=check, timeout=TOOL_SECONDS).stdout


def gl_window():
    """The id of the X window that shows the saver's GL, as "0x..."; None when
    there is none. Wine draws the GL of a child window (the saver's render
    child) into an unnamed X window of its own, made on another connection of
    the saver's process than its named windows. So it is the largest unnamed
    window of a client whose process also owns a window of a saver (its X
    class ends in ".scr"); the X-Resource extension tells which process a
    client is. The largest unnamed window on the screen is not always it:
    another client's stale one was seen to outlast a change of monitor size."""
    x11, xres = libraries()
    display = x11.XOpenDisplay(None)
    if not display:
        return None
    try:
        tree = output("xwininfo", "-root", "-tree")
        windows = [(line.group(0), int(line.group(1), 16), line.group(2), int(line.group(3)) * int(line.group(4)))
                   for line in WINDOW_LINE.finditer(tree)]
        savers = {process_of(xres, display, window) for _, window, names, _ in windows
                  if re.search(r'\.scr"', names, re.I)} - {None}
        unnamed = [(area, window) for line, window, _, area in windows
                   if UNNAMED.match(line) and area > 1 and process_of(xres, display, window) in savers]
    finally:
        x11.XCloseDisplay(display)
    return hex(max(unnamed)[1]) if unnamed else None


def place(window):
    """WINDOW's (x, y, width, height) on the X screen."""
    info = output("xwininfo", "-id", window, check=True)
    field = lambda name: int(re.search(r"%s:\s*(-?\d+)" % name, info).group(1))
    return field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height")


def capture(window, path, *operations):
    """A picture of WINDOW ("root" for the whole screen) in PATH, after
    ImageMagick's OPERATIONS; raises CalledProcessError when the window has
    gone."""
    subprocess.run(["import", "-silent", "-window", window, *operations, path], check=True, timeout=TOOL_SECONDS)


def grab(window, scale="100%", crops=(None,), resize="-scale"):
    """8-bit RGB data and width of one picture of WINDOW ("root" for the
    screen), whole or of each rectangle (left, top, right, bottom) of CROPS,
    scaled (by averaging, or with -sample by taking every so many pixels,
    which keeps their colours); raises CalledProcessError when the window has
    gone."""
    with tempfile.TemporaryDirectory() as workdir:
        image = os.path.join(workdir, "picture.ppm")
        capture(window, image)
        return [pixels(image, scale, crop, resize) for crop in crops]


def pixels(image, scale, crop, resize):
    cut = ["-crop", "%dx%d+%d+%d" % (crop[2] - crop[0], crop[3] - crop[1], crop[0], crop[1]), "+repage"] if crop else []
    ppm = subprocess.run(["convert", image, *cut, resize, scale, "-depth", "8", "ppm:-"], capture_output=True,
                         check=True, timeout=TOOL_SECONDS).stdout
    # P6 header: magic, width, height and maximum, the last followed by
    # exactly one blank before the data.
    header = re.match(rb"P6\s+(\d+)\s+\d+\s+\d+\s", ppm)
    return ppm[header.end():], int(header.group(1))


def drawn(window):
    """WINDOW (None for no window) shows something other than black."""
    return window is not None and float(output("import", "-silent", "-window", window, "-format", "%[max]",
                                               "info:") or 0) > 0


def xdotool(*args):
    """xdotool's output, split into words."""
    return output("xdotool", *args).split()


def pointer():
    """The X pointer as (x, y)."""
    found = dict(word.split(":") for word in xdotool("getmouselocation")[:2])
    return int(found["x"]), int(found["y"])


def saver_windows():
    """The full-screen savers' X windows that show."""
    return xdotool("search", "--onlyvisible", "--name", SAVER_TITLE)
