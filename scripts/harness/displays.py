"""The private X displays the saver runs on, each a context manager that
starts its server, waits until it takes connections, sets DISPLAY for this
process and its children, and ends the server afterwards:
- `virtual()`: Xvfb with GLX, one 1024x768 screen;
- `with_monitors()`: Xorg with the dummy video driver, whose RandR outputs
  the monitors module turns on, places, resizes and turns off, starting with
  that module's desktop of three monitors. Needs root: Xorg takes a generated
  configuration file only from root.
Leaves out Wine (the wine module) and any window manager or input device of
the machine's."""
import contextlib
import os
import select
import shutil
import subprocess
import tempfile
import time

from . import monitors, processes

SCREEN = os.environ.get("SAVER_SCREEN", "1024x768x24")
START_SECONDS = 10
END_SECONDS = 10
# Frame buffer memory: room for a 4096x4096 desktop at 32 bits a pixel.
VIDEO_RAM_KB = 65536
# The machine's own input devices stay with its own X server; keys and
# clicks come from XTEST. Xorg makes the screen of the one device itself.
XORG_CONF = """Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam %d
EndSection
""" % VIDEO_RAM_KB
# Mesa offers no GL on an 8-bit visual.
DEPTH = "24"


class DisplayError(Exception):
    pass


@contextlib.contextmanager
def server(command, what, workdir):
    """Runs the X server COMMAND, which picks a free display itself and writes
    its number to the descriptor given for -displayfd once it accepts
    connections. A number free in this /tmp may be taken by a server that has
    another /tmp (the Wine 10 root's, or the machine's), since all share one
    namespace of abstract sockets: the server sees that, a client would not.
    Xorg has been seen to hang at its exit after logging its end, so a server
    gets a while to end and is then killed. Its folder WORKDIR goes last."""
    reader, writer = os.pipe()
    log = os.path.join(workdir, "server.log")
    with open(log, "w") as out:
        process = subprocess.Popen([*command, "-displayfd", str(writer)], pass_fds=[writer], stdout=out,
                                   stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
    os.close(writer)
    previous = os.environ.get("DISPLAY")
    try:
        number = b""
        deadline = time.monotonic() + START_SECONDS
        while not number.endswith(b"\n") and process.poll() is None and time.monotonic() < deadline:
            if select.select([reader], [], [], 0.1)[0]:
                number += os.read(reader, 64) or b"-"
        if not number.strip().isdigit():
            with open(log, errors="replace") as out:
                raise DisplayError("%s did not start within %d s:\n%s" % (what, START_SECONDS, out.read()))
        os.environ["DISPLAY"] = ":" + number.decode().strip()
        yield os.environ["DISPLAY"]
    finally:
        os.close(reader)
        os.environ.pop("DISPLAY", None)
        if previous is not None:
            os.environ["DISPLAY"] = previous
        process.terminate()
        processes.stop(process, END_SECONDS)
        shutil.rmtree(workdir, ignore_errors=True)


def virtual():
    return server(["Xvfb", "-screen", "0", SCREEN, "+extension", "GLX", "-nolisten", "tcp"], "Xvfb",
                  tempfile.mkdtemp(prefix="saver-xvfb."))


@contextlib.contextmanager
def with_monitors(layout=monitors.DESKTOP):
    """No VT of its own, no switching, no TCP; no reset when the last client
    goes, which would undo the layout."""
    if os.geteuid() != 0:
        raise DisplayError("Xorg with a configuration of its own needs root")
    workdir = tempfile.mkdtemp(prefix="saver-xorg.")
    conf = os.path.join(workdir, "xorg.conf")
    with open(conf, "w") as out:
        out.write(XORG_CONF)
    with server(["Xorg", "-config", conf, "-logfile", os.path.join(workdir, "xorg.log"), "-depth", DEPTH,
                 "-novtswitch", "-sharevts", "-nolisten", "tcp", "-noreset"], "Xorg", workdir) as display:
        monitors.set_layout(layout)
        yield display
