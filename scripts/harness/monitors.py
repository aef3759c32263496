"""The monitors of an Xorg display with the dummy driver (displays.
with_monitors), written as Windows places them: each RandR output by name,
as its rectangle (left, top, right, bottom) on a desktop whose primary
monitor (DUMMY0, the dummy driver's first output) has its top left at 0,0.
`set_layout` turns outputs on at a size and place, moves or resizes them, or
turns them off, all in one step; each size gets a custom mode, so any size
works, portrait too. X puts the desktop's top left at 0,0. Leaves out waiting
for programs to see a change: Wine follows the X server's monitors only while
one of its programs runs."""
from . import geometry, screen

# The desktop the display starts with: the 1024x768 primary, an 800x600
# monitor left of it (at negative coordinates) and a 600x1000 portrait one
# right of it, tops aligned.
DESKTOP = {"DUMMY1": (-800, 0, 0, 600), "DUMMY0": (0, 0, 1024, 768), "DUMMY2": (1024, 0, 1624, 1000)}
REFRESH_HZ = 60
# Blanking of the custom modes; the dummy driver shows nothing, so any will do.
H_BLANK = 32
V_BLANK = 3


def xrandr(*args):
    return screen.output("xrandr", *args, check=True)


def custom_mode(width, height, known):
    """The name of a mode for WIDTHxHEIGHT, made once per X server."""
    name = "%dx%d_custom" % (width, height)
    if "  %s (" % name not in known:
        htotal, vtotal = width + H_BLANK, height + V_BLANK
        khz = htotal * vtotal * REFRESH_HZ // 1000
        xrandr("--newmode", name, "%d.%03d" % (khz // 1000, khz % 1000), str(width), str(width + 8),
               str(width + 16), str(htotal), str(height), str(height + 1), str(height + 2), str(vtotal))
    return name


def set_layout(layout, off=()):
    """Makes the outputs of LAYOUT (name: rectangle) those rectangles and
    turns off those named in OFF; outputs named in neither stay as they are."""
    left, top = geometry.bounds(layout.values())[:2]
    known = "\n" + xrandr("--verbose")
    command = []
    for name, r in sorted(layout.items()):
        mode = custom_mode(r[2] - r[0], r[3] - r[1], known)
        xrandr("--addmode", name, mode)
        command += ["--output", name, "--mode", mode, "--pos", "%dx%d" % (r[0] - left, r[1] - top)]
    for name in sorted(off):
        command += ["--output", name, "--off"]
    xrandr(*command)
    # The dummy driver shows an output it has just turned on as connected
    # only after a probe, and Wine reads the outputs without probing: a plain
    # query probes them.
    xrandr()


def parse_place(word):
    """OUTPUT=WIDTHxHEIGHT+X+Y as (name, rectangle), OUTPUT=off as (name, None)."""
    name, place = word.split("=", 1)
    if place == "off":
        return name, None
    size, x, y = place.split("+")
    width, height = size.split("x")
    return name, (int(x), int(y), int(x) + int(width), int(y) + int(height))
