#!/usr/bin/env bash
# The number of drawing threads never shows in the file: the threaded modes at an odd
# size, on one thread and on several, give the same bytes and the same random state.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

for mode in 1 5 8 9; do
    render --size 333x217 --seed 4242 --mode "$mode" --zoom-frames 3 --threads 1 -o "one$mode.png"
    one="$LINE"
    for threads in 2 7; do
        render --size 333x217 --seed 4242 --mode "$mode" --zoom-frames 3 --threads "$threads" -o "many$mode.png"
        check "mode $mode: $threads threads give the one-thread file" cmp -s "one$mode.png" "many$mode.png"
        check "mode $mode: $threads threads leave the one-thread state ($LINE)" \
            test "${LINE/many$mode/one$mode}" = "$one"
    done
done
finish
