#!/usr/bin/env bash
# Ticks after an adjustment compound as in the running program: each tick adjusts the
# colours the last tick left, and moves the ring.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

entry() { "${CHECK[@]}" plte "$1" "$2"; }

# FIRE's index 128 is 0xC82800. The adjustment alone shifts it by 10 degrees; each
# tick by 10 more, one index lower each time.
expected=(0xC84900 0xC84900 0xC86A00 0xC88B00)
for ticks in 0 1 2 3; do
    render --size 320x200 --seed 1 --palette fire --hue 10 --ticks "$ticks" -o "hue$ticks.png"
    index=$((128 - ticks))
    got="$(entry "hue$ticks.png" "$index")"
    check "hue +10, $ticks ticks: entry $index is $got, not ${expected[$ticks]}" test "$got" = "${expected[$ticks]}"
done
# Backwards the colour moves up instead, by 8 places a tick.
render --size 320x200 --seed 1 --palette fire --hue 10 --ticks 2 --step 8 --direction -1 -o back.png
check "hue +10 backwards: entry 144" test "$(entry back.png 144)" = 0xC86A00

# Brightness 0.6 fades GRAY's white towards black over ten ticks.
fades=(0x999999 0x5B5B5B 0x363636 0x202020 0x131313 0x0B0B0B 0x060606 0x030303 0x010101 0x000000)
for ticks in 1 2 3 4 5 6 7 8 9 10; do
    render --size 320x200 --seed 1 --palette gray --brightness 0.6 --ticks "$ticks" -o "fade$ticks.png"
    got="$(entry "fade$ticks.png" $((255 - ticks)))"
    check "brightness 0.6, $ticks ticks: $got" test "$got" = "${fades[$((ticks - 1))]}"
done

# Without an adjustment the ticks only move the colours; paused they do nothing.
render --size 320x200 --seed 1 --palette gray --ticks 3 -o plain.png
check "pure rotation keeps white" test "$(entry plain.png 252)" = 0xFFFFFF
render --size 320x200 --seed 1 --palette fire --hue 10 --ticks 3 --paused -o paused.png
check "paused: the adjustment once, no ticks" test "$(entry paused.png 128)" = 0xC84900
finish
