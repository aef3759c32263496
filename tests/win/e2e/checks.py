"""The end-to-end checks' verdicts: each check prints one line, "ok", "FAIL"
or "todo" (a known difference of the Wine it runs on), and a group ends with
one line of counts, as Wine's own tests do. Here too, in one place, what
each Wine shows and Windows would not, by the Wine major versions that show
it: the marks the checks take, each saying why (the suite's summary counts
them by that text). Leaves out what is checked."""
import collections
import os

from harness import wine

# Where the known differences that showed are listed, one a line, for the
# suite's summary; none when unset.
KNOWN_LOG = os.environ.get("SAVER_KNOWN_DIFFERENCES")
# The major version decides a Wine's known differences.
WINE_MAJOR = (wine.version(os.environ["SAVER_E2E_WINE"]) or "").split(".")[0]
counts = dict(executed=0, todo=0, failures=0)


Known = collections.namedtuple("Known", "wines why")

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


def shows(difference):
    """This Wine shows DIFFERENCE: what it keeps from showing is looked at
    once, not waited for."""
    return WINE_MAJOR in difference.wines


def check(condition, what, *differences):
    """Prints and counts one check; DIFFERENCES are the known differences that
    may make it fail under some Wine. A marked check still runs there: its
    failure is printed as that Wine's known difference, and its passing
    fails, so that the mark goes once that Wine is fixed."""
    counts["executed"] += 1
    shown = next((d for d in differences if shows(d)), None)
    if shown is None:
        print(("ok   " if condition else "FAIL ") + what, flush=True)
        counts["failures"] += not condition
    elif condition:
        print("FAIL %s: passes, though marked as a known difference of Wine %s (%s): the mark must go" % (
            what, WINE_MAJOR, shown.why), flush=True)
        counts["failures"] += 1
    else:
        print("todo %s: a known difference of Wine %s (%s)" % (what, WINE_MAJOR, shown.why), flush=True)
        counts["todo"] += 1
        if KNOWN_LOG:
            with open(KNOWN_LOG, "a") as log:
                log.write("%s\t%s\n" % (shown.why, what.splitlines()[0]))
    return condition


def closing_line(group):
    return "%s: %d checks executed (%d marked as known differences, %d failures)" % (
        group, counts["executed"], counts["todo"], counts["failures"])
