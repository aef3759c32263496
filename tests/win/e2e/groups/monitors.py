"""Full screen on a desktop of monitors of different sizes, left of and right
of the primary, portrait too, shows the whole model, centred, on each, and
follows the desktop while it changes: monitors added, removed (the origin
moving) and moved or resized, without ending. A key ends it with 0. A quick
pair of changes that moves the pointer, and a slide, leave it running; one
flick ends it. A preview there is one view. The last changes of random walks
that once ended a saver leave it running. Runs on an Xorg display of its
own whose monitors change (harness.displays.with_monitors)."""
import subprocess
import time

from harness import geometry, monitors, processes, screen

from checks import ONE_MONITOR_X_WINDOW, SCREEN_BLACK, check, shows
from model import WHOLE_MODEL, picture_parts, screen_parts
from modes import (HELD_JUMP_SECONDS, HOST, LAYOUT_SECONDS, check_held_preview, check_reported, desktop_state,
                   ended, finish, start_full_screen)

# The driver runs this group on the monitors' display.
DISPLAY = "monitors"
# The monitors' run goes through several layouts, each looked at for a while.
RUN_SECONDS = 400
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
# The last changes of two random walks after which a saver under Wine 10
# ended by itself within 8 s, nobody touching anything; each moves the
# primary's X origin, and with it the pointer. Each: what, the layout the
# walk had reached, and its last changes, QUICK_SECONDS apart.
WALKS = [("a monitor made 640x480 and moved left of the primary",
          {"DUMMY0": (0, 0, 1024, 768), "DUMMY1": (0, -768, 1024, 0), "DUMMY2": (1024, 0, 1624, 1000),
           "DUMMY3": (1624, 0, 2904, 720), "DUMMY4": (1624, -1024, 2392, 0)},
          [{"DUMMY3": (-640, 0, 0, 480)}]),
         ("the two monitors below the primary removed, the primary left alone at 800x600",
          {"DUMMY0": (0, 0, 1024, 768), "DUMMY1": (-640, 768, 0, 1248), "DUMMY2": (0, 768, 1024, 1536)},
          [{"DUMMY2": None}, {"DUMMY1": None, "DUMMY0": (0, 0, 800, 600)}])]
WALK_QUIET_SECONDS = 10
# A change made while a preview shows.
PREVIEW_CHANGE = ("a monitor added while a preview shows", {"DUMMY2": (1024, 0, 1624, 1000)})
# Pictures of every monitor spread over about one turn of the model, which
# is widest once a turn, and their scale: enough to find the model's edges.
PICTURES = 5
TURN_SECONDS = 3.0
MONITOR_SCALE = "25%"


def change_to(layout, change):
    """LAYOUT with CHANGE made, on the X server too."""
    layout = {name: r for name, r in dict(layout, **change).items() if r is not None}
    monitors.set_layout(layout, [name for name, r in change.items() if r is None])
    return layout


def quick_changes(layout, changes):
    """LAYOUT with CHANGES made QUICK_SECONDS apart, the first that long
    from now; returns it and when the last change was made."""
    since = time.time()
    for change in changes:
        time.sleep(max(since + QUICK_SECONDS - time.time(), 0))
        since = time.time()
        layout = change_to(layout, change)
    return layout, since


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
    desktop = geometry.bounds(expected)
    size = (desktop[2] - desktop[0], desktop[3] - desktop[1])
    state = {}
    # One monitor's X window is all a desktop of one monitor needs.
    several = (ONE_MONITOR_X_WINDOW,) if len(expected) > 1 else ()

    def covered():
        state.update(desktop_state())
        return state["monitors"] == expected and state["saver"] == state["child"] == desktop and (
            state["x_window"] == (0, 0) + size or any(map(shows, several)))

    settled = lambda: covered() or process.poll() is not None
    settled() or processes.wait_for(settled, max(since + LAYOUT_SECONDS - time.time(), 0))
    print("%s after %.1f s: %s; X pointer %d %d" % (what, time.time() - since, state, *screen.pointer()))
    check(state["monitors"] == expected, "%s: Wine reports %s" % (what, " ".join(map(geometry.text, expected))))
    check(state["saver"] == state["child"] == desktop, "%s: within %d s the saver window and its render child "
          "cover the desktop %s" % (what, LAYOUT_SECONDS, geometry.text(desktop)))
    # On a desktop of one monitor Wine 10 shows it only as an X window of
    # that monitor's size left where the primary was before the change.
    x_window = state["x_window"]
    stale = x_window is not None and x_window[2:] == size and x_window[:2] != (0, 0)
    marks = several or ((ONE_MONITOR_X_WINDOW,) if stale else ())
    check(x_window == (0, 0) + size, "%s: its X window covers the X screen, %dx%d: %s" % (
        (what,) + size + (x_window,)), *marks)
    origin = state["child"][:2] if state["child"] else desktop[:2]
    names = sorted(layout)

    def every_monitor_whole():
        try:
            parts = picture_parts([layout[name] for name in names], origin, MONITOR_SCALE)[1]
        except subprocess.CalledProcessError:
            return False
        return all(stats is not None and all(holds(stats) for _, holds in WHOLE_MODEL) for stats in parts) \
            or process.poll() is not None

    # Where a frame takes a third of a second (an emulated processor), the
    # first one with the new views can come well after the windows cover the
    # desktop, and a frame from before, cut to a new monitor's place, can
    # show some red there: the pictures count from the first frame that
    # shows the whole model on every monitor.
    processes.wait_for(every_monitor_whole, LAYOUT_SECONDS)
    faults, screen_faults = ({name: [] for name in names} for _ in range(2))
    # Each monitor where the X screen shows it: X puts the desktop's top
    # left at 0,0.
    on_screen = [geometry.shift(layout[name], -desktop[0], -desktop[1]) for name in names]
    gl_sizes = set()
    start = time.time()
    for picture in range(PICTURES if process.poll() is None else 0):
        time.sleep(max(start + picture * TURN_SECONDS / (PICTURES - 1) - time.time(), 0))
        place, parts = picture_parts([layout[name] for name in names], origin, MONITOR_SCALE)
        gl_sizes.add(place[2:] if place else None)
        screens = screen_parts(on_screen, MONITOR_SCALE)
        for name, stats, seen in zip(names, parts, screens):
            faults[name] += ["picture %d: %s: %s" % (picture, fault, stats) for fault, holds in WHOLE_MODEL
                             if stats is None or not holds(stats)]
            screen_faults[name] += ["picture %d: %s: %s: %s" % (picture, name, fault, seen)
                                    for fault, holds in WHOLE_MODEL if not holds(seen)]
    running = process.poll() is None
    check(running, "%s: the saver still runs, %.0f s on%s" % (
        what, time.time() - since, "" if running else " (it ended with %d)" % process.poll()))
    if not running:
        return False
    check(gl_sizes == {size}, "%s: the GL window is the desktop's size, %dx%d, in every picture: %s" % (
        (what,) + size + (" ".join("%dx%d" % gl_size if gl_size else "none" for gl_size in gl_sizes),)))
    for name in names:
        check(not faults[name], "%s: %s %s shows the whole model, centred, clear of its edges, in all %d pictures "
              "over %.0f s%s" % (what, name, geometry.text(layout[name]), PICTURES, TURN_SECONDS,
                                 listed(faults[name])))
    # The screen: each monitor that the saver's X window holds shows its
    # picture there, and with an X window the X screen's size, every one.
    held = [name for name, r in zip(names, on_screen) if x_window and geometry.contains(geometry.of_place(x_window), r)]
    if held:
        check(not any(screen_faults[name] for name in held), "%s: on the screen, the monitors its X window holds (%s) "
              "show the whole model%s" % (what, " ".join(held), listed(sum((screen_faults[n] for n in held), []))),
              SCREEN_BLACK)
    else:
        print("%s: its X window %s holds no monitor whole" % (what, x_window))
    check(not any(screen_faults.values()), "%s: on the screen, every monitor shows the whole model%s" % (
        what, listed(sum(screen_faults.values(), []))), SCREEN_BLACK, *marks)
    return True


def flick_target(layout):
    """The X point farthest from the pointer among the corners, 10 pixels
    in, of where a monitor of LAYOUT and the saver's X window overlap; None
    when none is more than 64 pixels away."""
    x = desktop_state()["x_window"]
    left, top = geometry.bounds(layout.values())[:2]
    pointer = screen.pointer()
    corners = []
    for r in layout.values():
        r = geometry.shift(r, -left, -top)
        inside = geometry.overlap(r, geometry.of_place(x)) if x else (0, 0, 0, 0)
        if inside[2] - inside[0] > 20 and inside[3] - inside[1] > 20:
            corners += [(h, v) for h in (inside[0] + 10, inside[2] - 10) for v in (inside[1] + 10, inside[3] - 10)]
    far = max(corners, key=lambda c: abs(c[0] - pointer[0]) + abs(c[1] - pointer[1]), default=None)
    return far if far and abs(far[0] - pointer[0]) + abs(far[1] - pointer[1]) > 64 else None


def quick_pair(layout):
    """The quick pair of changes on the primary alone (LAYOUT), the slide,
    then a flick that ends the saver; returns the layout left."""
    # The pointer starts near the middle of the one monitor.
    process = start_full_screen("/s", seconds=RUN_SECONDS)
    what, changes = QUICK_PAIR
    layout, since = quick_changes(layout, changes)
    running = check_desktop(process, layout, what, since)
    if running:
        layout = change_to(layout, SLIDE[1])
        running = check_desktop(process, layout, SLIDE[0], time.time())
    if running:
        # One flick of the pointer, held as a jump that no display change
        # takes, ends it: to a monitor's corner far from the pointer, where
        # the saver's X window is, which holds one monitor under Wine 10.
        flick = flick_target(layout)
        check(flick is not None, "the saver's X window lies over a monitor, where a flick can reach it")
        if flick:
            screen.xdotool("mousemove", "--sync", *map(str, flick))
            check(ended(process, HELD_JUMP_SECONDS + 8) == 0, "one flick of more than 64 pixels ends it with 0")
    finish(process)
    return layout


def walk_end(layout, what, reached, changes):
    """A walk's last changes, from the layout it REACHED, leave the saver
    running WALK_QUIET_SECONDS on; a key then ends it with 0. Returns the
    layout left."""
    process = start_full_screen("/s", seconds=RUN_SECONDS)
    # Wine follows the X server's monitors only while a program of its runs:
    # the walk's layout comes while the saver runs, through the primary
    # alone, which Wine always followed.
    alone = {"DUMMY0": monitors.DESKTOP["DUMMY0"]}
    layout = change_to(layout, dict({name: None for name in layout}, **alone))
    check_reported(alone, "%s: Wine reports the primary alone first" % what)
    layout = change_to(layout, reached)
    running = check_desktop(process, layout, "%s, before" % what, time.time())
    if running:
        layout, since = quick_changes(layout, changes)
        running = check_desktop(process, layout, what, since)
    if running:
        running = ended(process, max(since + WALK_QUIET_SECONDS - time.time(), 0)) is None
        check(running, "%s: still runs %d s after the last change" % (what, WALK_QUIET_SECONDS))
    if running:
        screen.xdotool("key", "a")
        check(ended(process) == 0, "%s: a key ends it with 0" % what)
    finish(process)
    return layout


def run():
    # One host process reports the desktop throughout: after some changes
    # Wine 10's desktop process went silent for half a minute and held
    # every new Wine program at its start, while those running went on.
    with HOST.reporting():
        layout = dict(monitors.DESKTOP)
        shown = " ".join(map(geometry.text, sorted(layout.values())))
        check_reported(layout, "Wine reports the monitors %s" % shown, 10)
        process = start_full_screen("/s", seconds=RUN_SECONDS)
        running = check_desktop(process, layout, "%d monitors" % len(layout), time.time())
        for what, change in CHANGES:
            if not running:
                break
            layout = change_to(layout, change)
            running = check_desktop(process, layout, what, time.time())
        if running:
            screen.xdotool("key", "a")
            check(ended(process) == 0, "a key ends it with 0")
        finish(process)

        layout = quick_pair(layout)
        where = "preview on %d monitors" % len(layout)
        layout = dict(layout, **PREVIEW_CHANGE[1])
        check_held_preview(where, (PREVIEW_CHANGE[0], layout))
        for walk in WALKS:
            layout = walk_end(layout, *walk)
