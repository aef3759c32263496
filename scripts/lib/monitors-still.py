#!/usr/bin/env python3
"""Saves one still of every monitor of the current X display to OUT.png:
what the saver's GL window (found by gl-window.py) shows within each
monitor's rectangle, placed as on the desktop, with a grey frame around each
monitor and grey where no monitor is. LISTING is what `saver_host monitors`
prints while the saver runs: the monitors' rectangles after the colon of its
first line, e.g. "monitors 2: 0,0-800,600 -640,0-0,480", and the render
child's after "child" on the next, which says where on the desktop the
picture starts. Wine keeps the GL window off screen, its top left at
(-1, -1), so the picture of it is cut where the screen ends and is shifted by
as much. Leaves out starting, waiting for and ending the saver.
Usage: monitors-still.py OUT.png LISTING"""
import os
import re
import subprocess
import sys
import tempfile

NO_MONITOR = "gray40"
FRAME_WIDTH = 2
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def rectangles_of(words):
    return [tuple(int(n) for n in re.match(r"(-?\d+),(-?\d+)-(-?\d+),(-?\d+)$", word).groups()) for word in words]


def main():
    out, listing = sys.argv[1:3]
    lines = listing.splitlines()
    rectangles = rectangles_of(lines[0].split(":", 1)[-1].split()) if lines else []
    children = rectangles_of(line.split()[3] for line in lines[1:] if line.split()[2:3] == ["child"])
    if not rectangles or not children:
        sys.exit("monitors-still.py: no monitors or no render child in %r" % listing)
    origin = children[0][:2]
    window = subprocess.run([os.path.join(ROOT, "scripts", "lib", "gl-window.py")], capture_output=True, text=True,
                            check=True).stdout.strip()
    info = subprocess.run(["xwininfo", "-id", window], capture_output=True, text=True, check=True).stdout
    x, y = (int(re.search(r"Absolute upper-left %s:\s*(-?\d+)" % axis, info).group(1)) for axis in "XY")
    left, top = min(r[0] for r in rectangles), min(r[1] for r in rectangles)
    width, height = max(r[2] for r in rectangles) - left, max(r[3] for r in rectangles) - top
    with tempfile.TemporaryDirectory() as workdir:
        picture = os.path.join(workdir, "gl.png")
        subprocess.run(["import", "-silent", "-window", window, picture], check=True)
        command = ["convert", "-size", "%dx%d" % (width, height), "xc:" + NO_MONITOR]
        for r in rectangles:
            # The part of the picture that shows this monitor, and where the
            # monitor is on the desktop (its first row and column may be cut).
            cut_left, cut_top = max(r[0] - origin[0] + x, 0), max(r[1] - origin[1] + y, 0)
            part = "%dx%d+%d+%d" % (r[2] - origin[0] + x - cut_left, r[3] - origin[1] + y - cut_top, cut_left, cut_top)
            place = "+%d+%d" % (cut_left - x + origin[0] - left, cut_top - y + origin[1] - top)
            command += ["(", picture, "-crop", part, "+repage", ")", "-geometry", place, "-composite"]
        command += ["-fill", "none", "-stroke", NO_MONITOR, "-strokewidth", str(FRAME_WIDTH)]
        for r in rectangles:
            command += ["-draw", "rectangle %d,%d %d,%d" % (r[0] - left, r[1] - top, r[2] - left - 1, r[3] - top - 1)]
        subprocess.run(command + [out], check=True)
    print("%s: %d monitors, %dx%d" % (out, len(rectangles), width, height))


if __name__ == "__main__":
    main()
