#!/usr/bin/env python3
"""Runs one group of end-to-end checks (groups/GROUP.py) of the built saver
under Wine, as the system would run it, and ends with the group's count line;
exits 1 when a check failed. The display and the Wine session are the
caller's (the test suite's), except for a group that names a display of its
own (DISPLAY = "monitors"), which this starts. The paths come from the
environment: SAVER_E2E_WINE, SAVER_E2E_SAVER, SAVER_E2E_HOST and
SAVER_E2E_STAND_IN (the 95/98 password provider's stand-in), with the
harness (scripts/) on PYTHONPATH.
Usage: saver_e2e.py GROUP"""
import contextlib
import importlib
import sys

from harness import displays, wine

import checks


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    group = importlib.import_module("groups." + sys.argv[1])
    try:
        with contextlib.ExitStack() as stack:
            if getattr(group, "DISPLAY", None) == "monitors":
                stack.enter_context(displays.with_monitors())
                stack.enter_context(wine.session())
            group.run()
    except (displays.DisplayError, wine.SessionError) as error:
        sys.exit("%s: %s" % (sys.argv[1], error))
    print(checks.closing_line(sys.argv[1]))
    sys.exit(1 if checks.counts["failures"] else 0)


if __name__ == "__main__":
    main()
