#!/usr/bin/env bash
# Measures the renderer's videos: for each mode, a loop of 255 frames at 20 frames per
# second (50 ms), its size, its luma and chroma PSNR against the GIF of the same frames
# (ffmpeg's psnr filter, both as 4:4:4), and the speed of the encoding: 255 frames over
# the time of the video's run less the time of a still picture of the same options,
# the median of --runs runs. Prints a Markdown table with the processor and the command.
#
# Usage: scripts/video_bench.sh [--modes "1 4 9"] [--size 1920x1080] [--seed N] [--runs N]
#                               [--render PROGRAM]   (default build/native/huemix-render)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
COMMAND="scripts/video_bench.sh$(printf ' %q' "$@")"
MODES="1 4 9"
SIZE=1920x1080
SEED=1
RUNS=3
RENDER="$ROOT/build/native/huemix-render"
while [ $# -gt 0 ]; do
    case "$1" in
        --modes) MODES="$2" ;;
        --size) SIZE="$2" ;;
        --seed) SEED="$2" ;;
        --runs) RUNS="$2" ;;
        --render) RENDER="$(realpath "$2")" ;;
        *) echo "video_bench: unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
[ -x "$RENDER" ] || { echo "video_bench: no renderer at $RENDER (build huemix-render first)" >&2; exit 1; }
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

seconds() {  # seconds OPTIONS...: wall time of one run
    local start end
    start="$(date +%s.%N)"
    "$RENDER" "$@" >/dev/null
    end="$(date +%s.%N)"
    awk "BEGIN { print $end - $start }"
}
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

NAMES=([1]=plasma [4]="string art" [9]=Buddhabrot)
echo "Processor: $(lscpu | awk -F: '/^Vendor ID/ { v = $2 } /^CPU family/ { f = $2 } /^Model:/ { m = $2 }
    /^Model name/ { n = $2 } END { gsub(/^ +/, "", v); gsub(/^ +/, "", f); gsub(/^ +/, "", m); gsub(/^ +/, "", n);
    printf "%s family %s model %s (%s)", v, f, m, n }'), $(nproc) logical processors"
echo "Command: $COMMAND"
echo
echo "| mode | video | GIF | Y PSNR mean | Y PSNR worst frame | U, V PSNR mean | encoded frames/s | whole run |"
echo "|---|---|---|---|---|---|---|---|"
for mode in $MODES; do
    options=(--size "$SIZE" --seed "$SEED" --mode "$mode")
    still="$(for _ in $(seq "$RUNS"); do seconds "${options[@]}" -o still.png; done | median)"
    whole="$(for _ in $(seq "$RUNS"); do seconds "${options[@]}" -o loop.webm; done | median)"
    "$RENDER" "${options[@]}" --frames 255 -o loop.gif >/dev/null
    ffmpeg -v error -i loop.webm -i loop.gif \
        -lavfi "[0:v]format=yuv444p[a];[1:v]format=yuv444p[b];[a][b]psnr=stats_file=psnr.log" -f null -
    read -r mean least chroma < <(awk '{ for (i = 1; i <= NF; i++) { split($i, v, ":");
            if (v[1] == "psnr_y") { y = v[2] + 0; sum += y; n++; if (n == 1 || y < least) least = y }
            if (v[1] == "psnr_u" || v[1] == "psnr_v") { c += v[2]; nc++ } } }
        END { printf "%.1f %.1f %.1f\n", sum / n, least, c / nc }' psnr.log)
    fps="$(awk "BEGIN { print 255 / ($whole - $still) }")"
    printf "| %s (%s) | %.1f MB | %.0f MB | %s dB | %s dB | %s dB | %.0f | %.1f s |\n" "${NAMES[$mode]:-mode $mode}" "$mode" \
        "$(awk "BEGIN { print $(stat -c %s loop.webm) / 1e6 }")" "$(awk "BEGIN { print $(stat -c %s loop.gif) / 1e6 }")" \
        "$mean" "$least" "$chroma" "$fps" "$whole"
done
