# A framed window resized to 1 x 1 and then minimised: with no client area to paint
# into, the program goes on composing frames and does not fail; resized back and
# restored, it draws again, answers keys and ends with exit code 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
command -v python3 >/dev/null || e2e_fail "missing tool: python3"
e2e_start_display 800x600

# set_wm_state STATE: what a window manager does to minimise (3) and restore (1) a
# window: it sets the window's WM_STATE property, and Wine follows it. There is no
# window manager here, so the test plays its part.
set_wm_state() {
    python3 - "$E2E_WINDOW" "$1" <<'EOF' || e2e_fail "cannot set WM_STATE $1"
import ctypes, os, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                ctypes.c_int, ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x11.XOpenDisplay(os.environ["DISPLAY"].encode())
if not display:
    sys.exit(1)
wm_state = x11.XInternAtom(display, b"WM_STATE", 0)
state = (ctypes.c_long * 2)(int(sys.argv[2]), 0)  # the state and no icon window
x11.XChangeProperty(display, int(sys.argv[1], 0), wm_state, wm_state, 32, 0, state, 2)
x11.XCloseDisplay(display)
EOF
}

# answers NAME: the palette turns, and a digit draws a new picture.
answers() {
    xdotool mousemove 300 250
    e2e_wait_moving "$1-moving" 10 || e2e_fail "$1: the picture does not move"
    e2e_key space
    local still
    still="$(e2e_wait_still "$1-paused" 10)" || e2e_fail "$1: Space does not stop the colours"
    e2e_key 2
    e2e_wait_change "$still" 10 >/dev/null || e2e_fail "$1: a digit draws no new picture"
    e2e_key space
}

e2e_start_huemix --windowed --mode 1
e2e_wait_window
[ "$(e2e_window_geometry)" = "50 50 800 600" ] || e2e_fail "the framed window is $(e2e_window_geometry)"
set_wm_state 1  # mapped and shown, as a window manager would have recorded it

xdotool windowsize "$E2E_WINDOW" 1 1
e2e_wait_geometry "50 50 1 1" 5 || e2e_fail "the window is $(e2e_window_geometry), not 1 x 1"
sleep 2  # some hundred rotation ticks with nowhere to paint
e2e_running || e2e_fail "the program ended at 1 x 1"
xdotool windowsize "$E2E_WINDOW" 640 400
e2e_wait_geometry "50 50 640 400" 5 || e2e_fail "the window is $(e2e_window_geometry), not 640 x 400"
answers resized

# Minimised, the window paints nothing: the screen keeps its last picture although the
# palette keeps turning.
set_wm_state 3
e2e_wait_still minimised 10 >/dev/null || e2e_fail "the minimised window keeps painting"
sleep 2
e2e_running || e2e_fail "the program ended while minimised"
set_wm_state 1
answers restored

e2e_key F11
e2e_wait_geometry "0 0 800 600" 10 || e2e_fail "F11 after restoring gives $(e2e_window_geometry)"
e2e_key q
e2e_wait_exit 10 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q did not end the program with 0"
e2e_pass
