# Every key, button and wheel turn of the Windows program has the same effect here:
# started on a picture that every seed draws the same (phyllotaxis on GRAY, a rotation
# interval too long to turn), from a given seed for the pictures that follow, each
# row's input must leave exactly the frame huemix-render composes with that row's
# options. Keys the program does not answer to (the numeric pad's
# digits, anything with Alt) leave the frame as it was, and so does slowing down an
# interval that is past the slowest the keys set (500 ms), as on Windows.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
linux_init "$@"
[ -n "$RENDER" ] && [ -x "$RENDER" ] || linux_skip "no huemix-render to draw the reference"
SIZE=640x480
e2e_start_display "$SIZE"

# input (xdotool key names, or "click N" for button N: 1 left, 3 right, 4 and 5 the
# wheel) | huemix-render options
cases=(
    "bracketright|--step 2"
    "bracketleft|--step 8"
    "r|--direction -1"
    "minus|"
    "KP_Subtract|"
    "equal|--delay 599995"
    "KP_Add|--delay 599995"
    "click 4|--delay 599995"
    "click 5|"
    "click 1|"
    "click 3|--mode 4"
    "4|--mode 4"
    "6|--mode 6"
    "9|--mode 9"
    "space|--paused"
    "s|--overlay none"
    "F1|--overlay help"
    "p|--palette cga"
    "shift+p|--palette forest"
    "p h|--palette cga --hue 10"
    "p shift+h|--palette cga --hue -10"
    "p v|--palette cga --saturation 0.5"
    "b|--brightness 0.6"
    "b b|--brightness 1.4"
    "Return|"
    "Escape|"
    "3|"
    "KP_3|"
    "alt+5|"
)
for row in "${cases[@]}"; do
    input="${row%%|*}"
    read -r -a options <<<"${row#*|}"
    name="$(tr -c 'a-zA-Z0-9\n' '-' <<<"$input")"
    e2e_start_huemix --mode 3 --palette gray --speed 600000 --seed 0x5EED
    e2e_wait_window
    if [[ "$input" == click\ * ]]; then
        e2e_click "${input#click }"
    else
        read -r -a keys <<<"$input"
        e2e_key "${keys[@]}"
    fi
    shot="$(e2e_wait_still "after-$name" 15)" || e2e_fail "$input: the frame does not settle"
    overlay=(--overlay strip)
    [[ " ${options[*]} " == *" --overlay "* ]] && overlay=()
    "$RENDER" --size "$SIZE" --seed 0x5EED --mode 3 --palette gray --delay 600000 "${overlay[@]}" "${options[@]}" \
        -o "$E2E_WORK/reference-$name.png" >/dev/null || e2e_fail "$input: huemix-render ${options[*]} failed"
    differ="$(e2e_difference "$shot" "$E2E_WORK/reference-$name.png")" || exit 1
    [ "$differ" -eq 0 ] || e2e_fail "$input: $differ pixels differ from huemix-render ${options[*]}"
    e2e_stop_huemix
done
e2e_pass
