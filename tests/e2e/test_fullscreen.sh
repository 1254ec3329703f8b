# Full screen: a borderless window covering the whole screen at the Canvas size, the
# splash screen first, then a picture whose colours keep moving.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 1024x768
e2e_start_huemix
e2e_wait_window

[ "$(e2e_window_geometry)" = "0 0 1024 768" ] || e2e_fail "full-screen window is $(e2e_window_geometry)"
e2e_check "the window shows nothing but black" [ "$(e2e_black_fraction "$(e2e_capture splash)")" -lt 900 ]

# The splash screen stands still for three seconds; after it the palette rotates on
# every tick.
e2e_wait_moving after-splash 15 || e2e_fail "the picture does not move after the splash"
e2e_pass
