"""The model's picture rules: what a picture of the saver should show (dark
red on black, the model whole and about its middle, one view in a preview),
read from the saver's GL window or from the screen. Leaves out starting the
saver (modes.py)."""
import subprocess

from harness import geometry, processes, screen

from checks import check

# A preview is one view: its red has no red-free band across it wider than
# this share of the picture, as the black between views would be.
ONE_VIEW_GAP = 0.05
# A quick, coarse look for the first frames.
GLANCE_SCALE = "12.5%"


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


def screen_parts(rectangles, scale="100%"):
    """What the screen shows within each rectangle of the X screen, from one
    picture of the root window, sampled at SCALE."""
    return [classify(*part) for part in screen.grab("root", scale, rectangles, "-sample")]


def picture_stats(scale="100%", window=None):
    """What the saver's GL draws (or the screen, WINDOW "root"), read from
    Wine's X window for it; None when there is no such window."""
    window = window or screen.gl_window()
    return classify(*screen.grab(window, scale)[0]) if window else None


def picture_parts(rectangles, origin, scale):
    """The place of the saver's GL window and what it draws within each
    rectangle of the desktop, from one picture, sampled at SCALE; None for a
    rectangle outside the picture, and no place when there is no GL window.
    ORIGIN is where the window's top left is on the desktop."""
    window = screen.gl_window()
    if window is None:
        return None, [None] * len(rectangles)
    place = screen.place(window)
    cuts = [geometry.window_cut(r, origin, place) for r in rectangles]
    parts = iter(screen.grab(window, scale, [c for c in cuts if c], "-sample"))
    return place, [classify(*next(parts)) if c else None for c in cuts]


def frames_drawn(count=2):
    """Waits until the saver has drawn COUNT more frames, each one a new
    picture in its GL window. Input comes before painting in a window's
    queue, so an input the X server had before the first of them has been
    handled."""
    def picture():
        window = screen.gl_window()
        try:
            return window is not None and screen.grab(window)[0][0]
        except subprocess.CalledProcessError:
            return False
    last = picture()
    for _ in range(count):
        if not processes.wait_for(lambda: picture() not in (last, False), 10):
            return False
        last = picture()
    return True


def model_drawn(stats=lambda: picture_stats(GLANCE_SCALE)):
    """The first frames are in the GL window (or, with STATS=screen_drawn's,
    on the screen). A GL window that goes while it is read is no picture
    yet."""
    try:
        drawn = stats()
    except subprocess.CalledProcessError:
        return False
    return drawn is not None and drawn["red"] > drawn["pixels"] // 200


def screen_drawn():
    return model_drawn(lambda: picture_stats(GLANCE_SCALE, "root"))


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
