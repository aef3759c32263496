"""The 95/98 family, reported by Wine for a copy of the saver only: /a, and
full screen with a password, asked of the stand-in password provider
(tests/stand-ins), which refuses or approves as told."""
import os
import shutil
import time

from harness import processes, screen, wine

from checks import check
from modes import (HELD_JUMP_SECONDS, HOST, INVALID, SAVER, STAND_IN, START_POINT, ended, finish, report_version,
                   run_host, saver_copy, start_full_screen)

DESKTOP_KEY = "HKCU\\Control Panel\\Desktop"


def provider_log(path):
    """The stand-in provider's lines so far, as "load window 0 running 0"."""
    try:
        with open(path, errors="replace") as log:
            return [line.strip() for line in log if line.strip()]
    except FileNotFoundError:
        return []


def verifications(path):
    return sum(line.startswith("verify ") for line in provider_log(path))


def run():
    name = "saver98.scr"
    with saver_copy(name) as saver98:
        shutil.copy(STAND_IN, os.path.join(os.path.dirname(saver98), "PASSWORD.CPL"))
        report_version(name, "win98")
        log = os.path.join(os.path.dirname(saver98), "provider.log")
        provider = lambda answer: dict(os.environ, PASSWORD_STANDIN_ANSWER=answer, PASSWORD_STANDIN_LOG="Z:" + log)
        try:
            code = run_host("run", saver98, "/a %u", "20")
            check(code == 0, "change-password request ends with 0 on the 95/98 family (got %d)" % code)
            check(run_host("run", SAVER, "/a", "15") == INVALID, "the NT-family original still refuses /a")

            wine.reg("add", DESKTOP_KEY, "/v", "ScreenSaveUsePassword", "/t", "REG_DWORD", "/d", "1", "/f", must=True)
            process = start_full_screen("/s", saver98, provider("0"))
            check([line[:13] for line in provider_log(log)] == ["load window 0"],
                  "the provider is loaded before the saver window: %s" % provider_log(log))
            # Each refused input asks once, and nothing asks again once a
            # held jump's time has passed: a bump held as a jump goes with
            # the key's close.
            bump = (START_POINT[0] + 100, START_POINT[1])
            for actions, what in [([("key", "a")], "key"), ([("click", "1")], "click"),
                                  ([("mousemove", "--sync", *map(str, bump)), ("key", "a")], "bump and a key"),
                                  ([("mousemove", "--sync", "700", "600")], "mouse move")]:
                asked = verifications(log)
                for action in actions:
                    screen.xdotool(*action)
                check(processes.wait_for(lambda: verifications(log) > asked, 10), "a %s asks the provider" % what)
                time.sleep(HELD_JUMP_SECONDS + 2.0)
                check(verifications(log) == asked + 1 and process.poll() is None,
                      "the provider's refusal of a %s keeps the saver, and it is not asked again (asked %d times)"
                      % (what, verifications(log) - asked))
            check(all(line.endswith("window 1 running 1") for line in provider_log(log)[1:]),
                  "the provider is asked with the saver window there and the saver-running state set: %s"
                  % provider_log(log))
            check(run_host("end") == 0, "the refused saver is ended from outside")
            code = finish(process)
            check(code == 98, "refused saver ran until it was ended (got %s)" % code)

            os.remove(log)
            process = start_full_screen("/s", saver98, provider("1"))
            code = HOST.run("run", saver98, "/s", "15", env=provider("1"))[0]
            check(code == 0 and sum(line.startswith("load") for line in provider_log(log)) == 1,
                  "a second full-screen start exits 0 (got %d) and never loads the provider" % code)
            screen.xdotool("key", "a")
            check(ended(process) == 0, "an approving provider lets a key end it with 0")
            finish(process)
            # The refused saver, ended from outside, left the state set.
            check(provider_log(log) == ["load window 0 running 1", "verify window 1 running 1",
                                        "unload window 0 running 1"]
                  and "saver-running state after the saver: 0" in process.report,
                  "loaded before the window, asked once, unloaded after it, the saver-running state cleared last: "
                  "%s; %s" % (provider_log(log), process.report.strip()))
        finally:
            wine.reg("delete", DESKTOP_KEY, "/v", "ScreenSaveUsePassword", "/f")
