"""Rectangles as (left, top, right, bottom) and their text, as the test host
prints them ("0,0-1024,768"), and the part of a window's picture that shows a
desktop rectangle. Leaves out the pictures themselves."""
import re

RECTANGLE = re.compile(r"(-?\d+),(-?\d+)-(-?\d+),(-?\d+)$")


def rectangles(words):
    return [tuple(int(n) for n in RECTANGLE.match(word).groups()) for word in words]


def text(rectangle):
    return "%d,%d-%d,%d" % rectangle


def shift(rectangle, dx, dy):
    return (rectangle[0] + dx, rectangle[1] + dy, rectangle[2] + dx, rectangle[3] + dy)


def bounds(rectangles):
    """The smallest rectangle around all of RECTANGLES."""
    rectangles = list(rectangles)
    return (min(r[0] for r in rectangles), min(r[1] for r in rectangles), max(r[2] for r in rectangles),
            max(r[3] for r in rectangles))


def contains(outer, inner):
    return outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2] and inner[3] <= outer[3]


def window_cut(rectangle, origin, window):
    """The part of a picture of WINDOW (x, y, width, height on the X screen)
    that shows RECTANGLE of the desktop, where ORIGIN is the desktop point at
    the window's top left; as a rectangle of the picture, None when nothing of
    it is there. Wine keeps the saver's GL window off screen, its top left at
    (-1, -1), and a picture of it is cut where the screen ends."""
    x, y, width, height = window
    cut = (max(rectangle[0] - origin[0] + x, 0), max(rectangle[1] - origin[1] + y, 0),
           min(rectangle[2] - origin[0] + x, width + x), min(rectangle[3] - origin[1] + y, height + y))
    return cut if cut[0] < cut[2] and cut[1] < cut[3] else None


def of_place(place):
    """The rectangle of a window's (x, y, width, height)."""
    return place[0], place[1], place[0] + place[2], place[1] + place[3]


def overlap(a, b):
    """Where A and B overlap; empty (right <= left or bottom <= top) when
    they do not."""
    return max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])
