#!/usr/bin/env bash
# Two figures of the Linux program on a private 1920 x 1080 Xvfb screen, with the
# processor they were taken on (benchmarks, not tests):
#   - from the command to the first picture on the screen, five starts each of the
#     splash screen and of --mode 1 (bench/linux/first_picture.py);
#   - the processor time colour cycling costs at the default interval (50 ms), read from
#     /proc over SECONDS once the picture is drawn, as a share of one core: the program,
#     then the hack on the root window.
# SDL_RENDER_DRIVER=software (or opengl) in the environment chooses SDL's renderer.
#
#     bash scripts/linux_bench.sh [build/native/huemix] [SECONDS]
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
EXE="$(realpath "${1:-$ROOT/build/native/huemix}")"
SPAN="${2:-30}"
[ -x "$EXE" ] || { echo "linux_bench.sh: no program $EXE" >&2; exit 1; }
WORK="$(mktemp -d)"
XVFB_PID=""
HUEMIX_PID=""
finish() {
    [ -n "$HUEMIX_PID" ] && kill "$HUEMIX_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap finish EXIT

Xvfb -displayfd 9 -screen 0 1920x1080x24 -nolisten tcp 9>"$WORK/display" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/display")"

grep -m4 -E '^(vendor_id|cpu family|model|model name)\s*:' /proc/cpuinfo
echo "renderer: ${SDL_RENDER_DRIVER:-as SDL chooses}"
for arguments in "" "--mode 1"; do
    for _ in 1 2 3 4 5; do
        # shellcheck disable=SC2086
        python3 "$ROOT/bench/linux/first_picture.py" "$EXE" $arguments
        sleep 0.5
    done
done

# cycling_cost WHAT ARGUMENTS...: the processor time of the program started with the
# arguments, over SPAN seconds once its picture is drawn.
cycling_cost() {
    local what="$1"
    shift
    "$EXE" "$@" >/dev/null 2>&1 &
    HUEMIX_PID=$!
    sleep 5  # past the picture
    local before after
    before="$(ticks)"
    sleep "$SPAN"
    after="$(ticks)"
    kill "$HUEMIX_PID" 2>/dev/null
    wait "$HUEMIX_PID" 2>/dev/null
    HUEMIX_PID=""
    awk -v b="$before" -v a="$after" -v hz="$(getconf CLK_TCK)" -v s="$SPAN" -v what="$what" -v cmd="$EXE $*" 'BEGIN {
        printf "%s, colour cycling every 50 ms at 1920x1080: %.2f s of processor time in %d s (%.1f %% of one core): %s\n",
               what, (a - b) / hz, s, 100 * (a - b) / hz / s, cmd }'
}
ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$HUEMIX_PID/stat"; }
cycling_cost "the program" --mode 1
cycling_cost "the hack on the root window" --root --mode 1
