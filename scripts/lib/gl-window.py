#!/usr/bin/env python3
"""Prints the id of the X window that shows the saver's GL on the current
display, and fails when there is none. Wine draws the GL of a child window
(the saver's render child) into an unnamed X window of its own, made on
another connection of the saver's process than its named windows. So it is
the largest unnamed window of a client whose process also owns a window of a
saver (its X class ends in ".scr"); the X-Resource extension tells which
process a client is. The largest unnamed window on the screen is not always
it: another client's stale one was seen to outlast a change of monitor size.
Leaves out taking any picture of it.
Usage: gl-window.py"""
import ctypes
import re
import subprocess
import sys

# XRes's client-id mask for "the client's process id".
PID_MASK = 2
# A line of `xwininfo -root -tree`: id, name, class and size.
WINDOW_LINE = re.compile(r'^\s+(0x[0-9a-f]+) (?:"[^"]*"|\(has no name\)): \((.*)\)\s+(\d+)x(\d+)[+-]', re.M)
UNNAMED = re.compile(r'^\s+0x[0-9a-f]+ \(has no name\)', re.M)


class ClientIdSpec(ctypes.Structure):
    _fields_ = [("client", ctypes.c_ulong), ("mask", ctypes.c_uint)]


class ClientIdValue(ctypes.Structure):
    _fields_ = [("spec", ClientIdSpec), ("length", ctypes.c_long), ("value", ctypes.c_void_p)]


def process_of(xres, display, window):
    """The id of the process whose client made WINDOW, or None."""
    spec = ClientIdSpec(window, PID_MASK)
    count = ctypes.c_long()
    values = ctypes.POINTER(ClientIdValue)()
    if xres.XResQueryClientIds(display, 1, ctypes.byref(spec), ctypes.byref(count), ctypes.byref(values)) != 0:
        return None
    pid = xres.XResGetClientPid(values) if count.value else -1
    xres.XResClientIdsDestroy(count.value, values)
    return pid if pid >= 0 else None


def main():
    x11 = ctypes.CDLL("libX11.so.6")
    xres = ctypes.CDLL("libXRes.so.1")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xres.XResQueryClientIds.argtypes = [ctypes.c_void_p, ctypes.c_long, ctypes.POINTER(ClientIdSpec),
                                        ctypes.POINTER(ctypes.c_long), ctypes.POINTER(ctypes.POINTER(ClientIdValue))]
    xres.XResGetClientPid.argtypes = [ctypes.POINTER(ClientIdValue)]
    xres.XResClientIdsDestroy.argtypes = [ctypes.c_long, ctypes.POINTER(ClientIdValue)]
    display = x11.XOpenDisplay(None)
    if not display:
        return 1
    try:
        tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True, timeout=30).stdout
        windows = [(line.group(0), int(line.group(1), 16), line.group(2), int(line.group(3)) * int(line.group(4)))
                   for line in WINDOW_LINE.finditer(tree)]
        savers = {process_of(xres, display, window) for _, window, names, _ in windows
                  if re.search(r'\.scr"', names, re.I)} - {None}
        unnamed = [(area, window) for text, window, _, area in windows
                   if UNNAMED.match(text) and area > 1 and process_of(xres, display, window) in savers]
    finally:
        x11.XCloseDisplay(display)
    if not unnamed:
        return 1
    print(hex(max(unnamed)[1]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
