# A fixed frame is the reference composition, pixel for pixel, at several screen sizes:
# phyllotaxis on GRAY draws the same on every seed, and with a rotation interval too
# long to turn it stays as drawn, so huemix-render's frame with the status strip (the
# same interval in it) must be what the screen shows once the hint has gone. On X11 the
# frame goes through the window's framebuffer; SDL_RENDER_DRIVER asks for the
# renderer, the way of other video drivers.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
[ -n "$RENDER" ] && [ -x "$RENDER" ] || linux_skip "no huemix-render to draw the reference"

for row in 1024x768 1366x768 640x480 "640x480 SDL_RENDER_DRIVER=software"; do
    read -r size way <<<"$row"
    e2e_start_display "$size"
    [ -n "$way" ] && export "${way?}"
    e2e_start_huemix --mode 3 --palette gray --speed 600000
    [ -n "$way" ] && unset "${way%%=*}"
    e2e_wait_window
    shot="$(e2e_wait_still "frame-$size" 15)" || e2e_fail "$size: the frame does not settle"
    "$RENDER" --size "$size" --mode 3 --palette gray --overlay strip --delay 600000 \
        -o "$E2E_WORK/reference-$size.png" >/dev/null || e2e_fail "$size: huemix-render failed"
    differ="$(e2e_difference "$shot" "$E2E_WORK/reference-$size.png")" || exit 1
    [ "$differ" -eq 0 ] || e2e_fail "$row: $differ pixels differ from the reference"
    e2e_key q
    e2e_wait_exit 15 && [ "$E2E_EXIT_CODE" -eq 0 ] || e2e_fail "$size: Q did not end it with code 0"
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
    E2E_XVFB_PID=""
done
e2e_pass
