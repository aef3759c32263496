"""The preview in the host's window: each way of writing the tail, the end
when the host's process dies, and the picture while the host holds it."""
from checks import check
from modes import SAVER, check_held_preview, run_host


def run():
    for tail in ["/p %u", "/p%u", "/P    %u", "/l %u", "-L %u /s"]:
        check(run_host("preview", SAVER, tail) == 0, "preview with tail %r" % tail)
    check(run_host("orphan", SAVER) == 0, "a preview ends when its host process dies")
    check_held_preview("preview")
