"""Pictures of the saver a person can open, from the current X display:
`record` takes five full-size stills over some seconds and, on request, an
animated GIF that plays at the speed the saver ran; `monitors_still` makes
one still of every monitor. Leaves out starting, waiting for and ending the
saver."""
import os
import shutil
import subprocess
import tempfile
import time

from . import geometry, screen

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
NO_MONITOR = "gray40"
FRAME_WIDTH = 2
CONVERT_SECONDS = 120


def shoot(window, outdir, seconds, small_frames):
    """Captures WINDOW for SECONDS: the stills at the start of each fifth of
    that time and, with SMALL_FRAMES, small frames as fast as ImageMagick's
    import can in between. Returns (start time, path) of every capture and
    the end time."""
    shots, stills, span, start = [], 0, seconds * NS_PER_SECOND, time.monotonic_ns()
    while (now := time.monotonic_ns()) - start < span:
        due = start + stills * span // STILLS
        if stills < STILLS and now >= due:
            stills += 1
            path, operations = os.path.join(outdir, "frame-%d.png" % stills), []
        elif small_frames is not None:
            path = os.path.join(small_frames, SMALL_FRAME % len(shots))
            operations = ["-filter", CAPTURE_FILTER, "-resize", "%dx" % GIF_WIDTH, "-depth", SMALL_FRAME_DEPTH]
        else:
            time.sleep((min(due, start + span) - now) / NS_PER_SECOND)
            continue
        screen.capture(window, path, *operations)
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
    subprocess.run(command, check=True, timeout=CONVERT_SECONDS)


def record(outdir, seconds, gif=None):
    """frame-1.png to frame-5.png in OUTDIR and, with GIF, that GIF: the GL
    window (the root when there is none), found once."""
    window = screen.gl_window() or "root"
    os.makedirs(outdir, exist_ok=True)
    small_frames = tempfile.mkdtemp(dir=outdir) if gif else None
    try:
        shots, end = shoot(window, outdir, seconds, small_frames)
        if gif:
            frames = delays(shots, end)
            write_gif(frames, gif)
            length = sum(delay for _, delay in frames)
            print("%s: %d frames of %d captures, %.2f s" % (gif, len(frames), len(shots), length / 100))
    finally:
        if small_frames:
            shutil.rmtree(small_frames)


def monitors_still(out, desktop):
    """One still in OUT of every monitor of DESKTOP (the host's report while
    the saver runs): what the GL window shows within each monitor's
    rectangle, placed as on the desktop, with a grey frame around each
    monitor and grey where no monitor is. The render child's place says
    where on the desktop the picture starts."""
    rectangles, child = desktop["monitors"], desktop["child"]
    if not rectangles or not child:
        raise ValueError("no monitors or no render child in %r" % desktop["listing"])
    window = screen.gl_window()
    if window is None:
        raise ValueError("the saver has no GL window")
    place = screen.place(window)
    left, top, right, bottom = geometry.bounds(rectangles)
    with tempfile.TemporaryDirectory() as workdir:
        picture = os.path.join(workdir, "gl.png")
        screen.capture(window, picture)
        command = ["convert", "-size", "%dx%d" % (right - left, bottom - top), "xc:" + NO_MONITOR]
        for r in rectangles:
            # The part of the picture that shows this monitor, and where that
            # part is on the desktop (its first row and column may be cut).
            cut = geometry.window_cut(r, child[:2], place)
            if cut is None:
                continue
            at = (cut[0] - place[0] + child[0] - left, cut[1] - place[1] + child[1] - top)
            command += ["(", picture, "-crop", "%dx%d+%d+%d" % (cut[2] - cut[0], cut[3] - cut[1], cut[0], cut[1]),
                        "+repage", ")", "-geometry", "+%d+%d" % at, "-composite"]
        command += ["-fill", "none", "-stroke", NO_MONITOR, "-strokewidth", str(FRAME_WIDTH)]
        for r in rectangles:
            command += ["-draw", "rectangle %d,%d %d,%d" % (r[0] - left, r[1] - top, r[2] - left - 1, r[3] - top - 1)]
        subprocess.run(command + [out], check=True, timeout=CONVERT_SECONDS)
    print("%s: %d monitors, %dx%d" % (out, len(rectangles), right - left, bottom - top))
