#!/usr/bin/env python3
"""Records what the saver's GL shows on the current X display for SECONDS.

Writes five full-size stills, frame-1.png to frame-5.png, one at the start of
each fifth of that time, and with --gif an animated GIF as well: the GL window
captured as fast as ImageMagick's import can, scaled down, with the moment of
each capture noted, so each GIF frame is held for as long as it really was the
latest picture and the GIF plays at the speed the saver ran. The window is
found once (gl-window.py; the root when there is none). Leaves out starting,
waiting for and ending the saver.
Usage: record-gl.py OUTDIR SECONDS [--gif FILE]"""
import argparse
import os
import shutil
import subprocess
import tempfile
import time

STILLS = 5
GIF_WIDTH = 320
# Dark red on black needs few colours, and fewer keep the file small. The
# quantizer's colour tree must be deep enough to tell apart the dark reds the
# model uses; the default depth for so few colours merges them into a handful.
GIF_COLOURS = 32
COLOUR_TREE_DEPTH = 8
# A cheap filter for scaling down while capturing: with the default one each
# capture took about half as long again.
CAPTURE_FILTER = "Triangle"
# The small frames are written uncompressed, as 8-bit MIFF: that gave about a
# third more captures a second than PNG.
SMALL_FRAME = "%05d.miff"
SMALL_FRAME_DEPTH = "8"
# GIF delays count hundredths of a second, and players hold a frame of less
# than two for far longer, so a capture that close to the last one is left out.
NS_PER_DELAY_UNIT = 10_000_000
SHORTEST_DELAY = 2
NS_PER_SECOND = 1_000_000_000
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def gl_window():
    found = subprocess.run([os.path.join(ROOT, "scripts", "lib", "gl-window.py")], capture_output=True, text=True)
    return found.stdout.strip() if found.returncode == 0 else "root"


def capture(window, path, *operations):
    subprocess.run(["import", "-silent", "-window", window, *operations, path], check=True)


def record(window, outdir, seconds, small_frames):
    """Captures for SECONDS; returns (start time, path) of every capture and the end time."""
    shots = []
    span = seconds * NS_PER_SECOND
    start = time.monotonic_ns()
    still = 0
    while True:
        now = time.monotonic_ns()
        if now - start >= span:
            break
        due = start + still * span // STILLS
        if still < STILLS and now >= due:
            still += 1
            path = os.path.join(outdir, "frame-%d.png" % still)
            capture(window, path)
        elif small_frames is not None:
            path = os.path.join(small_frames, SMALL_FRAME % len(shots))
            capture(window, path, "-filter", CAPTURE_FILTER, "-resize", "%dx" % GIF_WIDTH, "-depth", SMALL_FRAME_DEPTH)
        else:
            time.sleep((min(due, start + span) - now) / NS_PER_SECOND)
            continue
        shots.append((now, path))
    return shots, time.monotonic_ns()


def delays(shots, end):
    """The frames to keep, each with its delay in hundredths of a second.

    Every moment is rounded to a whole unit from the start and each delay is
    the difference of two rounded moments, so the delays add up to the real
    length instead of gathering rounding errors."""
    start = shots[0][0]

    def units(moment):
        return round((moment - start) / NS_PER_DELAY_UNIT)

    kept = []
    for moment, path in shots:
        if not kept or units(moment) - kept[-1][0] >= SHORTEST_DELAY:
            kept.append((units(moment), path))
    marks = [mark for mark, _ in kept] + [max(units(end), kept[-1][0] + SHORTEST_DELAY)]
    return [(path, marks[i + 1] - marks[i]) for i, (_, path) in enumerate(kept)]


def write_gif(frames, gif):
    command = ["convert", "-loop", "0"]
    for path, delay in frames:
        command += ["-delay", str(delay), path]
    command += ["-filter", CAPTURE_FILTER, "-resize", "%dx" % GIF_WIDTH, "+dither",
                "-treedepth", str(COLOUR_TREE_DEPTH), "-colors", str(GIF_COLOURS), "-layers", "Optimize", gif]
    subprocess.run(command, check=True)


def main():
    parser = argparse.ArgumentParser(description="Records the saver's GL window.")
    parser.add_argument("outdir")
    parser.add_argument("seconds", type=int)
    parser.add_argument("--gif")
    args = parser.parse_args()
    window = gl_window()
    os.makedirs(args.outdir, exist_ok=True)
    small_frames = tempfile.mkdtemp(dir=args.outdir) if args.gif else None
    try:
        shots, end = record(window, args.outdir, args.seconds, small_frames)
        if args.gif:
            frames = delays(shots, end)
            write_gif(frames, args.gif)
            length = sum(delay for _, delay in frames)
            print("%s: %d frames of %d captures, %.2f s" % (args.gif, len(frames), len(shots), length / 100))
    finally:
        if small_frames:
            shutil.rmtree(small_frames)


if __name__ == "__main__":
    main()
