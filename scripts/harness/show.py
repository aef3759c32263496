"""run.sh's run with no display of a person's: one mode of the saver on a
private display, in a Wine session of its own. Starts it, waits until it
shows (bounded), records it into FRAMES (full screen: also FRAMES/saver.gif;
on the three monitors of an Xorg display, also FRAMES/monitors.png, a still
of every monitor), ends it as a user would and prints its exit code. Leaves
out building.
MODE: /s | /c | preview | monitors"""
import subprocess
import sys

from . import displays, host, pictures, processes, screen, wine

# Time for the first picture: a cold Wine start can take many seconds.
SHOW_SECONDS = 60
FOCUS_SECONDS = 10
END_SECONDS = 60
# Long enough for one turn of the wobble (about 4.2 s at 100 frames/s).
GIF_SECONDS = 5
# The five stills of the other modes, 0.4 s apart; a second apart on the
# monitors' desktop, whose bigger picture takes about that long to capture.
STILL_SECONDS = 2
MONITORS_STILL_SECONDS = 5
# The test host closes the preview window after this long.
PREVIEW_MS = 6000
BOX_TITLE = "^Another Vexmoor Screen Saver$"
# X's focus value for "the window under the pointer".
POINTER_ROOT = 1


def wait_until(process, seconds, condition):
    """Whether CONDITION came true within SECONDS while PROCESS runs."""
    return processes.wait_for(lambda: process.poll() is not None or condition(), seconds) and process.poll() is None


def about_box():
    return next(iter(screen.xdotool("search", "--name", BOX_TITLE)), None)


def box_has_keyboard(box):
    """Keys typed now go to the box: the X focus is on it or one of its
    children, or it is PointerRoot (X's own, with no window manager) and the
    pointer is there."""
    focus = int(next(iter(screen.xdotool("getwindowfocus", "-f")), 0))
    if focus == POINTER_ROOT:
        focus = int(dict(word.split("=") for word in screen.xdotool("getmouselocation", "--shell"))["WINDOW"])
    tree = screen.output("xwininfo", "-id", box, "-tree").split()
    return focus in {int(word, 16) for word in [box, *tree] if word.startswith("0x")}


def look(mode, process, saver_host, frames):
    """Records the running MODE into FRAMES and ends it as a user would."""
    if mode == "/c":
        if not wait_until(process, SHOW_SECONDS, lambda: screen.drawn(about_box())):
            print("note: no about box after %d s" % SHOW_SECONDS, file=sys.stderr)
        pictures.record(frames, STILL_SECONDS)
        # A click on the box makes it the active window, which Wine then
        # gives the keyboard (no window manager runs here), and Enter
        # presses OK.
        box = about_box()
        if box:
            screen.xdotool("mousemove", "--window", box, "5", "5", "click", "1")
        if not box or not wait_until(process, FOCUS_SECONDS, lambda: box_has_keyboard(box)):
            print("note: the about box did not get the keyboard", file=sys.stderr)
        screen.xdotool("key", "Return")
        return
    if not wait_until(process, SHOW_SECONDS, lambda: screen.drawn(screen.gl_window())):
        print("note: no GL picture after %d s" % SHOW_SECONDS, file=sys.stderr)
    pictures.record(frames, {"/s": GIF_SECONDS, "monitors": MONITORS_STILL_SECONDS}.get(mode, STILL_SECONDS),
                    frames + "/saver.gif" if mode == "/s" else None)
    if mode == "monitors":
        desktop = saver_host.desktop()
        print(desktop["listing"])
        pictures.monitors_still(frames + "/monitors.png", desktop)
    if mode != "preview":
        screen.xdotool("key", "space")


def main(mode, wine_loader, saver, host_path, frames):
    saver_host = host.Host(wine_loader, host_path)
    command = {"preview": saver_host.command("preview", saver, "/p %u", str(PREVIEW_MS)),
               "monitors": [wine_loader, saver, "/s"]}.get(mode, [wine_loader, saver, mode])
    with (displays.with_monitors if mode == "monitors" else displays.virtual)(), wine.session():
        process = subprocess.Popen(command)
        try:
            look(mode, process, saver_host, frames)
        except (subprocess.SubprocessError, ValueError) as error:
            # A failed recording still lets the saver be ended and its exit
            # code shown.
            print("note: the recording failed: %s" % error, file=sys.stderr)
            screen.xdotool("key", "space")
        status = processes.stop(process, END_SECONDS)
    print("saver exit code: %s" % ("none: it did not end within %d s and was killed" % END_SECONDS
                                   if status is None else status))
