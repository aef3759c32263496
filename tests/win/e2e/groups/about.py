"""Every way a user ends the about box gives 1: Enter, Esc, the caption's
close button and a close request, each twice."""
from checks import check
from modes import SAVER, run_host


def run():
    for tail, owner, how in [("", "unowned", "enter"), ("  -/ ", "unowned", "esc"),
                             ("/c:%u", "owned", "close-button"), ("/c", "owned", "close"),
                             ("/c:4294967295", "owned", "enter"), ("/c:", "owned", "esc"),
                             ("/c %u", "owned", "close-button"), ("-C:%u /s", "owned", "close")]:
        check(run_host("about", SAVER, tail, owner, how) == 0, "about box from tail %r (%s), ended by %s" % (
            tail, owner, how))
