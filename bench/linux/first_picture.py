#!/usr/bin/env python3
"""Time from starting a command to the first picture on the X screen.

usage: first_picture.py COMMAND [ARGUMENT...]
Reads the whole screen (XGetImage of the root window) in a tight loop from the moment
the command is started until any pixel is not black, prints the milliseconds, then
ends the command (SIGTERM). Run on an empty, black screen. The figure includes one
screen read at most (a few milliseconds at 1920 x 1080).
"""
import ctypes
import ctypes.util
import subprocess
import sys
import time


def main(argv):
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    for name in ("XDisplayWidth", "XDisplayHeight"):
        getattr(xlib, name).argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XGetImage.restype = ctypes.c_void_p
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XDestroyImage.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("first_picture.py: cannot open the display")
    root = xlib.XDefaultRootWindow(display)
    width, height = xlib.XDisplayWidth(display, 0), xlib.XDisplayHeight(display, 0)
    # XImage: width, height, xoffset, format, then the data pointer (after 4 ints).
    data_offset = 4 * ctypes.sizeof(ctypes.c_int)
    size = width * height * 4

    start = time.monotonic()
    child = subprocess.Popen(argv[1:])
    try:
        while True:
            image = xlib.XGetImage(display, root, 0, 0, width, height, 0xFFFFFFFF, 2)  # ZPixmap
            pointer = ctypes.c_void_p.from_address(image + data_offset).value
            pixels = ctypes.string_at(pointer, size)
            xlib.XDestroyImage(image)
            if pixels.strip(b"\0"):
                break
            if child.poll() is not None:
                sys.exit("first_picture.py: the command ended before showing anything")
        print("%.0f ms to the first picture: %s" % ((time.monotonic() - start) * 1000, " ".join(argv[1:])))
    finally:
        child.terminate()
        child.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
