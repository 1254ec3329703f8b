# Option values at the edges: a --monitor index past the last monitor falls back to the
# monitor under the cursor (the one screen here); --speed 1 rotates as fast as the timer
# goes without starving keys; --speed 2147483647 holds the colours still while every
# key still works.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init "$@"
e2e_start_display 640x480

quit_with_zero() {
    e2e_key q
    e2e_wait_exit 10 || e2e_fail "$1: Q does not end the program within 10 s"
    [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "$1: exit code $E2E_EXIT_CODE"
}

for index in 1 2147483647 99999999999; do
    e2e_start_huemix --monitor "$index" --mode 1
    e2e_wait_window
    [ "$(e2e_window_geometry)" = "0 0 640 480" ] || e2e_fail "--monitor $index gives $(e2e_window_geometry)"
    e2e_wait_moving "monitor-$index" 10 || e2e_fail "--monitor $index: the picture does not move"
    quit_with_zero "--monitor $index"
done

# One millisecond: timer 1 fires as often as it can, and input still comes first.
e2e_start_huemix --speed 1 --mode 1
e2e_wait_window
e2e_wait_moving fast 10 || e2e_fail "--speed 1: the picture does not move"
before="$(e2e_capture fast-before)"
e2e_key space
paused="$(e2e_wait_still fast-paused 10)" || e2e_fail "--speed 1: Space does not stop the colours"
e2e_key 3
e2e_wait_change "$paused" 10 >/dev/null || e2e_fail "--speed 1: a digit does not draw a new picture"
e2e_click 4
e2e_click 5
quit_with_zero "--speed 1"

# The longest interval: the colours stand still; + shortens it by 5 ms, which still
# leaves it at almost 25 days.
e2e_start_huemix --speed 2147483647 --mode 1
e2e_wait_window
still="$(e2e_wait_still slow 10)" || e2e_fail "--speed 2147483647: the colours move"
sleep 2
e2e_check "--speed 2147483647: the colours moved" e2e_same "$still" "$(e2e_capture slow-later)"
e2e_key equal KP_Add
e2e_click 4
still="$(e2e_wait_still slow-faster 10)" || e2e_fail "--speed 2147483647: the colours move after +"
e2e_key 7
e2e_wait_change "$still" 10 >/dev/null || e2e_fail "--speed 2147483647: a digit does not draw a new picture"
quit_with_zero "--speed 2147483647"
e2e_pass
