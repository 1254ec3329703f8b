# Digits choose a mode, the right button the next mode, the left button a new picture
# of the same mode; each draws a new picture. Paused, only the chosen picture changes
# the screen, so every comparison is between still pictures.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 640x400
e2e_start_huemix --mode 1 --palette PASTEL
e2e_wait_window

e2e_key space
previous="$(e2e_wait_still mode1 8)" || e2e_fail "mode 1 does not stand still when paused"

# next_picture NAME ACTION...: the action must give a still picture unlike the last one.
next_picture() {
    local name="$1"
    shift
    "$@"
    # Slow modes take a while to draw: first the change, then the still picture.
    e2e_wait_change "$previous" 20 >/dev/null || e2e_fail "$name: the picture did not change"
    local shot
    shot="$(e2e_wait_still "$name" 20)" || e2e_fail "$name: the picture does not settle"
    e2e_same "$previous" "$shot" && e2e_fail "$name: the picture went back to the last one"
    previous="$shot"
}

for digit in 2 3 4 5 6 7 9 1; do
    next_picture "digit$digit" e2e_key "$digit"
done
next_picture right-button e2e_click 3   # mode 1 -> 2
next_picture left-button e2e_click 1    # a new Voronoi picture

# The zoom draws a new frame every 120 ms, paused or not.
e2e_key 8
e2e_wait_moving zoom 10 || e2e_fail "the zoom does not move while paused"
e2e_pass
