#!/usr/bin/env bash
# The race check over real work: every mode, the zoom driven frame after frame, an
# animation and the overlays, each drawn by huemix-render on 2 and on 7 threads. Meant
# for a renderer built with ThreadSanitizer (halt_on_error): the first report ends that
# run with a failure code. Usage: race_sweep.sh HUEMIX-RENDER
set -uo pipefail
RENDER="$(realpath "${1:?path of huemix-render}")"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
runs=0

run() {  # label, renderer arguments...
    local label="$1"
    shift
    runs=$((runs + 1))
    "$RENDER" "$@" >"$WORK/out" 2>"$WORK/err"
    local code=$?
    if [ "$code" -ne 0 ]; then
        failures=$((failures + 1))
        echo "FAIL ($label): huemix-render $* exited with $code" >&2
        head -40 "$WORK/err" >&2
    fi
}

for threads in 2 7; do
    for mode in 0 1 2 3 4 5 6 7 8 9; do
        run "mode $mode" --size 320x200 --seed 1234 --mode "$mode" --threads "$threads" -o "$WORK/m$mode.png"
    done
    run "zoom drive" --size 640x480 --seed 1234 --mode 8 --zoom-frames 12 --threads "$threads" -o "$WORK/zoom.png"
    run "zoom animation" --size 320x200 --seed 9 --mode 8 --frames 4 --delay 130 --threads "$threads" -o "$WORK/zoom.gif"
    run "strip overlay" --size 320x200 --seed 5 --mode 1 --overlay strip --ticks 3 --threads "$threads" -o "$WORK/strip.png"
    run "help overlay" --size 320x200 --seed 5 --mode 9 --overlay help --threads "$threads" -o "$WORK/help.png"
done
echo "race sweep: $runs runs, $failures failed"
[ "$failures" -eq 0 ]
