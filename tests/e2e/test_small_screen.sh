# A screen smaller than the smallest Canvas: the Canvas is 320 x 200 all the same and
# the full-screen window has that size, reaching past the screen's edges. Every mode
# draws there, with the status strip's long lines (the longest mode name, the longest
# interval) clipped to the small frame, and F11 works both ways.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 256x160

e2e_start_huemix --mode 5 --speed 2147483647 --palette pastel
e2e_wait_window
[ "$(e2e_window_geometry)" = "0 0 320 200" ] || e2e_fail "the window is $(e2e_window_geometry), not the 320 x 200 Canvas"

previous="$(e2e_wait_still start 15)" || e2e_fail "the first picture does not settle"
for key in 1 2 3 4 6 7 9 8; do
    e2e_key "$key"
    e2e_wait_change "$previous" 15 >/dev/null || e2e_fail "mode $key draws nothing new"
    previous="$(e2e_capture "mode-$key")"
done
e2e_key F1
e2e_wait_change "$previous" 10 >/dev/null || e2e_fail "the help screen does not show"
e2e_key F1
e2e_running || e2e_fail "the program ended"

e2e_key F11
e2e_wait_geometry "100 100 1280 800" 10 || e2e_wait_geometry "100 100 256 160" 1 ||
    echo "e2e: framed window at $(e2e_window_geometry)"
e2e_running || e2e_fail "F11 to a window ended the program"
e2e_key F11
e2e_wait_geometry "0 0 256 160" 10 || e2e_fail "F11 back to full screen gives $(e2e_window_geometry)"
xdotool mousemove 100 80
# The zoom draws a new frame every 120 ms, whatever the rotation interval.
e2e_key 8
e2e_wait_moving back 10 || e2e_fail "the zoom does not move after F11 twice"
e2e_key q
e2e_wait_exit 10 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "Q did not end the program with 0"
e2e_pass
