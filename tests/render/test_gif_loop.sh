#!/usr/bin/env bash
# 255 frames of step 1 make a seamless loop: the last frame's palette turned once more
# is the first frame's. The file loops forever, every frame with the delay asked for.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

render --size 320x200 --seed 5 --mode 1 --frames 255 -o loop.gif
check "the line counts the frames: $LINE" grep -q "loop.gif, 320x200, 255 frames of 50 ms, mode 1 PLASMA" <<<"$LINE"
check "255 frames of 5 cs, looping forever" test "$("${CHECK[@]}" gif-info loop.gif)" = "frames=255 delays=5 loop=0"
check "the last frame turned once more is the first" "${CHECK[@]}" gif-loop loop.gif

# Another loop backwards, from a fixed preset, with a delay that is rounded.
render --size 320x200 --seed 6 --palette ocean --direction -1 --delay 33 --frames 255 -o back.gif
check "33 ms are stored as 3 cs" test "$("${CHECK[@]}" gif-info back.gif)" = "frames=255 delays=3 loop=0"

# An independent reader sees the same frames.
if command -v identify >/dev/null; then
    check "ImageMagick counts 255 frames" test "$(identify loop.gif | wc -l)" -eq 255
    "${CHECK[@]}" gif-rgb loop.gif 254 last.ours
    convert 'loop.gif[254]' rgb:last.theirs
    check "ImageMagick reads the same last frame" cmp -s last.ours last.theirs
    "${CHECK[@]}" gif-rgb loop.gif 0 first.ours
    check "the last frame is not the first" bash -c '! cmp -s first.ours last.ours'
fi
finish
