"""Full screen: the window covers the screen and shows the model; a small
move leaves it running, a larger one, a key or a click ends it with 0; a
second start exits at once."""
from harness import screen

from checks import SCREEN_BLACK, check
from model import MODEL, check_model, check_screen, frames_drawn, picture_stats
from modes import SAVER, ended, finish, run_host, start_full_screen


def run():
    process = start_full_screen("/s")
    windows = screen.saver_windows()
    if windows:
        place = screen.place(windows[0])
        check(place == (0, 0, 1024, 768), "window covers the screen: %s" % (place,))
    check_screen(picture_stats(window="root"), "full screen on the screen", MODEL, SCREEN_BLACK)
    check_model(picture_stats(), "full screen")

    # Moves are measured from where the pointer is now: a new Wine process
    # can put the X pointer where Wine last knew it, not where it was moved.
    x, y = screen.pointer()
    print("pointer before the moves: %d, %d" % (x, y))
    screen.xdotool("mousemove", "--sync", str(x + 2), str(y + 2))
    check(frames_drawn() and process.poll() is None, "a move of 4 pixels, handled, leaves it running")
    screen.xdotool("mousemove", str(x + 3), str(y + 2))
    check(ended(process) == 0, "a move of 5 pixels ends it with 0")
    finish(process)

    process = start_full_screen("/s")
    second = run_host("run", SAVER, "/s", "15")
    check(second == 0, "second full-screen start exits 0 (got %d)" % second)
    check(len(screen.saver_windows()) == 1, "second start created no window")
    check(process.poll() is None, "first saver still runs")
    screen.xdotool("key", "a")
    check(ended(process) == 0, "first saver ends with 0 on a key")
    finish(process)

    for tail, action, what in [("-s", ("key", "a"), "a key"), ("s", ("click", "1"), "a click"),
                               ("/S", ("key", "space"), "space"), ("/saver", ("click", "3"), "right click"),
                               ("--/ /s", ("key", "Escape"), "Esc")]:
        process = start_full_screen(tail)
        screen.xdotool(*action)
        check(ended(process) == 0, "%r ends with 0 on %s" % (tail, what))
        finish(process)
    check(not screen.saver_windows(), "no saver window left")
