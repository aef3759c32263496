"""A copy of the saver told each Windows version in turn: the family decides
/a, and full screen draws the model and ends on a key."""
from harness import screen

from checks import check
from model import check_model, picture_stats
from modes import INVALID, ended, finish, report_version, run_host, saver_copy, start_full_screen

# Every Windows the saver is for, as Wine's per-program setting names them,
# and whether it belongs to the 95/98 family.
VERSIONS = [("win95", True), ("win98", True), ("winme", True), ("nt40", False), ("win2k", False),
            ("winxp", False), ("win7", False), ("win10", False)]


def run():
    name = "saver_version.scr"
    rows = []
    with saver_copy(name) as copy:
        for version, win9x in VERSIONS:
            report_version(name, version)
            change = run_host("run", copy, "/a %u", "20")
            check(change == (0 if win9x else INVALID), "%s: /a exits with %d" % (version, change))
            process = start_full_screen("/s", copy)
            stats = picture_stats()
            check_model(stats, "%s full screen" % version)
            screen.xdotool("key", "a")
            code = ended(process)
            check(code == 0, "%s: a key ends full screen with 0 (got %s)" % (version, code))
            finish(process)
            family = {0: "95/98", INVALID: "NT"}.get(change, "?")
            red = stats["red"] if stats else 0
            rows.append((version, family, change, "model drawn (%d red pixels), key -> %s" % (red, code)))
    print("version  family  /a   /s")
    for row in rows:
        print("%-8s %-7s %-4s %s" % row)
