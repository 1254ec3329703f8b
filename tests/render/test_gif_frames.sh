#!/usr/bin/env bash
# Every frame of a GIF equals what the core shows at that moment of the running
# program: one rotation tick per frame, and in mode 8 a zoom frame whenever the 120 ms
# zoom timer has fired in between.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

compare() {  # NAME "TOOL ARGS" REFERENCE ARGS...
    local name="$1" args="$2"
    shift 2
    # shellcheck disable=SC2086
    render $args -o "$name.gif" || return
    reference "$name.ref" "$@" || return
    check "$name: every frame equals the core's" "${CHECK[@]}" gif-equals-ref "$name.gif" "$name.ref"
}

compare plasma "--size 320x200 --seed 11 --frames 6 --palette fire --step 2" \
    320 200 11 1 1 0 0 1 1 0 2 1 0 0 6 50
compare zoom "--size 320x200 --seed 12 --mode 8 --zoom-frames 2 --frames 9 --delay 50" \
    320 200 12 0 8 2 0 1 1 0 1 1 0 0 9 50
compare zoom-slow "--size 320x200 --seed 13 --mode 8 --frames 4 --delay 300 --palette neon" \
    320 200 13 8 8 0 0 1 1 0 1 1 0 0 4 300
compare zoom-paused "--size 320x200 --seed 14 --mode 8 --frames 5 --delay 130 --paused" \
    320 200 14 0 8 0 0 1 1 0 1 1 1 0 5 130
compare drift "--size 320x200 --seed 15 --hue 10 --ticks 2 --frames 5 --palette sunset" \
    320 200 15 7 1 0 10 1 1 2 1 1 0 0 5 50
compare help "--size 640x400 --seed 16 --overlay help --frames 3 --palette gray --step 8" \
    640 400 16 4 1 0 0 1 1 0 8 1 0 2 3 50
compare splash "--size 320x200 --seed 17 --mode 0 --frames 3" 320 200 17 0 0 0 0 1 1 0 1 1 0 0 3 50

# The printed random state is the one after the last zoom frame.
render --size 320x200 --seed 12 --mode 8 --zoom-frames 2 --frames 9 --delay 50 -o line.gif
state="$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); print("0x%08X" % struct.unpack("<I", d[-4:])[0])' zoom.ref)"
check "state after the animation: $LINE" grep -q "random state $state\$" <<<"$LINE"

# A one-frame GIF is a still picture with the same colours as the PNG.
render --size 320x200 --seed 18 --mode 3 -o still.gif
render --size 320x200 --seed 18 --mode 3 -o still.png
"${CHECK[@]}" gif-rgb still.gif 0 still.gif.rgb
"${CHECK[@]}" png-rgb still.png still.png.rgb
check "a one-frame GIF equals the PNG" cmp -s still.gif.rgb still.png.rgb
finish
