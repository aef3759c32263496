"""The harness's commands, for people and for the scripts in scripts/:
  gl-window | capture OUT.png   prints the saver's GL window's id; takes a
                                picture of it
  layout OUTPUT=WxH+X+Y|off...  changes the monitors of an Xorg display
  display [--monitors] COMMAND  runs COMMAND on a private display (Xvfb, or
                                Xorg with three monitors) in a Wine session
  session [--managed] COMMAND   runs COMMAND in a Wine session of its own on
                                the current display
  show MODE WINE SAVER HOST FRAMES   run.sh's headless run of one mode
  suite native|emulated|none    the whole test suite after set-up (test.sh)
  ctest [--wine10] CTEST-ARGS   CTest on a private display in a Wine session,
                                under Wine 10 in the root with --wine10
  wine-run [--known FILE] CTEST-ARGS   the same, here (the Wine 10 run's
                                process in the root)
Run as `python3 scripts/harness COMMAND` or `python3 -m harness COMMAND`
from scripts/."""
import os
import subprocess
import sys

if __package__ in (None, ""):
    # Run as a folder: the package is imported from the folder above.
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    __package__ = "harness"

from harness import displays, monitors, screen, show, suite, wine  # noqa: E402


def gl_window(args):
    """Prints the GL window's id, or with OUT.png takes one picture of it."""
    window = screen.gl_window() or sys.exit("the saver has no GL window")
    if args:
        screen.capture(window, args[0])
    else:
        print(window)


def layout(args):
    places = dict(monitors.parse_place(word) for word in args)
    monitors.set_layout({name: r for name, r in places.items() if r}, [name for name, r in places.items() if not r])


def display(args):
    server = displays.with_monitors if args[:1] == ["--monitors"] else displays.virtual
    with server(), wine.session():
        return subprocess.run(args[args[:1] == ["--monitors"]:]).returncode


def session(args):
    with wine.session(args[:1] == ["--managed"]):
        return subprocess.run(args[args[:1] == ["--managed"]:]).returncode


COMMANDS = {"gl-window": gl_window, "capture": gl_window, "layout": layout, "display": display, "session": session,
            "show": lambda args: show.main(*args), "suite": suite.main, "ctest": suite.ctest,
            "wine-run": suite.wine_run}


def main():
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        sys.exit(__doc__)
    try:
        status = COMMANDS[sys.argv[1]](sys.argv[2:])
    except (displays.DisplayError, wine.SessionError) as error:
        sys.exit("harness %s: %s" % (sys.argv[1], error))
    sys.exit(status or 0)


main()
