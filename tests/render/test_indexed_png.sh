#!/usr/bin/env bash
# An indexed PNG holds the Canvas and the Palette the core gives for the same seed and
# actions, read back pixel for pixel; its size and success line tell the truth.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# compare NAME "TOOL ARGS" W H SEED PRESET MODE ZOOM HUE SAT BRI TICKS STEP DIR PAUSED
compare() {
    local name="$1" args="$2"
    shift 2
    # shellcheck disable=SC2086
    render $args -o "$name.png" || return
    reference "$name.ref" "$@" 0 1 50 || return
    check "$name: PNG equals the core's Canvas and Palette" "${CHECK[@]}" png-equals-ref "$name.png" "$name.ref"
}

presets=(RANDOM FIRE OCEAN FOREST GRAY CGA AMIGA SUNSET NEON PASTEL IBM)
# Every mode, each with another preset, on the smallest Canvas.
for mode in 0 1 2 3 4 5 6 7 8 9; do
    preset=$(( (mode * 3 + 1) % 11 ))
    compare "mode$mode" "--size 320x200 --seed $((1000 + mode)) --mode $mode --palette ${presets[$preset]}" \
        320 200 $((1000 + mode)) "$preset" "$mode" 0 0 1 1 0 1 1 0
done
# A bigger plasma with a random palette; sizes below the minimum are raised.
compare plasma "--size 640x400 --seed 42" 640 400 42 0 1 0 0 1 1 0 1 1 0
compare raised "--size 100x100 --seed 42 --palette gray" 100 100 42 4 1 0 0 1 1 0 1 1 0
check "raised: a 320x200 picture" test "$("${CHECK[@]}" png-info raised.png)" = "type=3 size=320x200 plte=256"
# Adjustments and ticks in every combination of step and direction, and paused.
compare adjusted "--size 320x200 --seed 7 --palette sunset --hue 30 --saturation 0.5 --brightness 1.4 --ticks 9 --step 4 --direction -1" \
    320 200 7 7 1 0 30 0.5 1.4 9 4 -1 0
compare paused "--size 320x200 --seed 7 --palette cga --hue -10 --ticks 9 --paused" \
    320 200 7 5 1 0 -10 1 1 9 1 1 1
compare manyticks "--size 320x200 --seed 8 --palette neon --ticks 1000 --step 8" \
    320 200 8 8 1 0 0 1 1 1000 8 1 0
# The zoom with timer frames; an out-of-range mode is plasma.
compare zoom "--size 320x200 --seed 77 --mode 8 --zoom-frames 6 --palette amiga" 320 200 77 6 8 6 0 1 1 0 1 1 0
compare fallback "--size 320x200 --seed 77 --mode 12 --palette ocean" 320 200 77 2 12 0 0 1 1 0 1 1 0

# The success line: file, size, mode and preset by number and name, seed, state.
render --size 320x200 --seed 1009 --mode 9 --palette amiga -o line.png
state="$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); print("0x%08X" % struct.unpack("<I", d[-4:])[0])' mode9.ref)"
check "success line names everything: $LINE" \
    test "$LINE" = "huemix-render: wrote line.png, 320x200, mode 9 BUDDHABROT, preset 6 AMIGA, seed 1009, random state $state"
render --size 320x200 --seed 77 --mode 12 --palette ocean -o line.png
check "the line names the mode drawn: $LINE" grep -q "mode 1 PLASMA, preset 2 OCEAN" <<<"$LINE"

# An independent reader agrees with ours about the pixels.
if command -v convert >/dev/null; then
    "${CHECK[@]}" png-rgb plasma.png plasma.ours
    convert plasma.png rgb:plasma.theirs
    check "ImageMagick reads the same colours" cmp -s plasma.ours plasma.theirs
fi
finish
