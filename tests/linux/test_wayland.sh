# Under Wayland (weston, shown in a window of the virtual X screen, which gives it a
# seat for the keys) the frame is the reference composition pixel for pixel, on a
# plain output and on a HiDPI one (scale 2, half the points): the Canvas has the
# output's pixels, so nothing is scaled up. Q ends it with code 0.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
[ -n "$RENDER" ] && [ -x "$RENDER" ] || linux_skip "no huemix-render to draw the reference"
command -v weston >/dev/null 2>&1 || linux_skip "missing tool: weston"

WESTON_PID=""
stop_weston() {
    [ -n "$WESTON_PID" ] && kill "$WESTON_PID" 2>/dev/null && wait "$WESTON_PID" 2>/dev/null
    WESTON_PID=""
}
finish_wayland() {
    local status=$?
    e2e_stop_huemix
    stop_weston
    (exit "$status")
    linux_cleanup
}
trap finish_wayland EXIT

export XDG_RUNTIME_DIR="$E2E_WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
e2e_start_display 1024x768

# Each row: weston's output scale and its size in points; the output is 800 x 600 pixels.
for row in "1 800x600" "2 400x300"; do
    read -r scale points <<<"$row"
    socket="huemix-$scale"
    weston --backend=x11-backend.so --use-pixman --idle-time=0 --socket="$socket" --scale="$scale" \
        --width="${points%x*}" --height="${points#*x}" >"$E2E_WORK/weston-$scale.log" 2>&1 &
    WESTON_PID=$!
    e2e_wait_for 15 test -S "$XDG_RUNTIME_DIR/$socket" || e2e_fail "scale $scale: weston did not start"
    WAYLAND_DISPLAY="$socket" SDL_VIDEODRIVER=wayland e2e_start_huemix --mode 3 --palette gray --speed 600000
    shot="$(e2e_wait_still "scale-$scale" 20)" || e2e_fail "scale $scale: the frame does not settle"
    output="$(e2e_crop "$shot" 0 0 800 600 "output-$scale")"
    "$RENDER" --size 800x600 --mode 3 --palette gray --overlay strip --delay 600000 \
        -o "$E2E_WORK/reference.png" >/dev/null || e2e_fail "huemix-render failed"
    differ="$(e2e_difference "$output" "$E2E_WORK/reference.png")" || exit 1
    [ "$differ" -eq 0 ] || e2e_fail "scale $scale: $differ pixels differ from the reference"
    e2e_key q
    e2e_wait_exit 15 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "scale $scale: Q did not end it with code 0"
    stop_weston
done
e2e_pass
