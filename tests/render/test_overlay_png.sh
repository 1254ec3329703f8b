#!/usr/bin/env bash
# With an overlay the PNG is the composed frame in RGB: the status strip (interval
# 50 ms, no auto-cycle, no hint) or the help screen, as the core composes it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

compare() {  # NAME "TOOL ARGS" REFERENCE ARGS...
    local name="$1" args="$2"
    shift 2
    # shellcheck disable=SC2086
    render $args -o "$name.png" || return
    reference "$name.ref" "$@" || return
    check "$name: RGB PNG equals the composed frame" "${CHECK[@]}" png-equals-ref "$name.png" "$name.ref"
    check "$name: an RGB PNG" grep -q "^type=2 " <<<"$("${CHECK[@]}" png-info "$name.png")"
}

compare strip "--size 640x400 --seed 3 --palette fire --overlay strip" 640 400 3 1 1 0 0 1 1 0 1 1 0 1 1 50
compare strip-state "--size 320x200 --seed 3 --mode 4 --palette neon --overlay strip --step 4 --direction -1 --paused --ticks 2" \
    320 200 3 8 4 0 0 1 1 2 4 -1 1 1 1 50
compare help "--size 640x400 --seed 3 --palette gray --overlay help" 640 400 3 4 1 0 0 1 1 0 1 1 0 2 1 50
compare help-turned "--size 1280x800 --seed 4 --mode 3 --overlay help --ticks 40 --hue 10" \
    1280 800 4 0 3 0 10 1 1 40 1 1 0 2 1 50

# The strip shows the defaults: the band at the bottom is darkened, the picture
# above it is not, and no hint box is drawn above the band.
render --size 320x200 --seed 3 --palette gray -o plain.png
"${CHECK[@]}" png-rgb plain.png plain.rgb
"${CHECK[@]}" png-rgb strip.png strip.rgb 2>/dev/null
render --size 320x200 --seed 3 --palette gray --overlay strip -o small-strip.png
"${CHECK[@]}" png-rgb small-strip.png small-strip.rgb
# 320x200: strip rows 178..199 (scale 2); everything above is untouched, hint included.
check "above the strip the frame is the plain picture" cmp -s -n $((320 * 178 * 3)) plain.rgb small-strip.rgb
check "the strip changes the band" bash -c "! cmp -s plain.rgb small-strip.rgb"

if command -v convert >/dev/null; then
    convert strip.png rgb:strip.theirs
    check "ImageMagick reads the same RGB" cmp -s strip.rgb strip.theirs
fi
finish
