#!/usr/bin/env python3
"""Two things the tests need of X that no stock tool does without a window manager.

usage: xwindow.py host WIDTHxHEIGHT+X+Y
           a bare window, as xscreensaver gives a hack: prints its id (0x hex) once it
           is mapped and keeps it until the process is ended, when the server destroys
           it (so a test can make it vanish under the hack)
       xwindow.py close ID
           asks the window to close as a window manager does (WM_DELETE_WINDOW)
"""
import ctypes
import ctypes.util
import sys
import time


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]


def open_xlib():
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XCreateSimpleWindow.restype = ctypes.c_ulong
    xlib.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                         ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                         ctypes.c_ulong]
    xlib.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(XEvent)]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("xwindow.py: cannot open the display")
    return xlib, display


def host(geometry):
    size, _, place = geometry.partition("+")
    width, height = (int(v) for v in size.split("x"))
    x, y = (int(v) for v in place.split("+")) if place else (0, 0)
    xlib, display = open_xlib()
    window = xlib.XCreateSimpleWindow(display, xlib.XDefaultRootWindow(display), x, y, width, height, 0, 0, 0)
    xlib.XMapWindow(display, window)
    xlib.XSync(display, 0)
    print("0x%x" % window, flush=True)
    while True:
        time.sleep(3600)


def close(window_id):
    xlib, display = open_xlib()
    event = XEvent()
    event.client.type = 33  # ClientMessage
    event.client.window = int(window_id, 0)
    event.client.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.client.format = 32
    event.client.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    xlib.XSendEvent(display, event.client.window, 0, 0, ctypes.byref(event))
    xlib.XSync(display, 0)
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "host":
        host(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "close":
        sys.exit(close(sys.argv[2]))
    else:
        sys.exit(__doc__)
