#!/usr/bin/env bash
# A seed reproduces the picture; 0 is the program's fallback seed; without --seed the
# seed comes from the clock and the printed one reproduces the picture.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

for mode in 1 2 4 7; do
    render --size 320x200 --seed 31337 --mode "$mode" -o "a$mode.png"
    render --size 320x200 --seed 31337 --mode "$mode" -o "b$mode.png"
    check "mode $mode: the same seed gives the same file" cmp -s "a$mode.png" "b$mode.png"
done
render --size 320x200 --seed 31338 -o other.png
check "another seed gives another picture" bash -c '! cmp -s a1.png other.png'

render --size 320x200 --seed 0 -o zero.png
render --size 320x200 --seed 0xC0FFEE -o coffee.png
render --size 320x200 --seed 12648430 -o decimal.png
check "seed 0 is 0xC0FFEE" cmp -s zero.png coffee.png
check "seed in hex and decimal" cmp -s coffee.png decimal.png
check "the line shows the seed used: $LINE" grep -q "seed 12648430," <<<"$LINE"

render --size 320x200 -o clock1.png
first="$LINE"
sleep 0.05
render --size 320x200 -o clock2.png
second="$LINE"
seed1="$(sed -n 's/.*seed \([0-9]*\),.*/\1/p' <<<"$first")"
seed2="$(sed -n 's/.*seed \([0-9]*\),.*/\1/p' <<<"$second")"
check "clock seeds are printed ($seed1, $seed2)" test -n "$seed1" -a -n "$seed2"
check "two runs get different clock seeds" test "$seed1" != "$seed2"
render --size 320x200 --seed "$seed1" -o again.png
check "the printed seed reproduces the picture" cmp -s clock1.png again.png
check "and the printed random state" test "${LINE#*random state}" = "${first#*random state}"
finish
