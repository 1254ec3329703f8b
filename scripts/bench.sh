#!/usr/bin/env bash
# Measures every figure of huemix-bench on each code path this processor has, at each
# size, and prints the tables of docs/performance.md (Markdown) with the machine and
# the command. The raw lines of every run are kept in build/bench-results/.
#
# Usage: scripts/bench.sh [--reps N] [--slow-reps N] [--seeds K] [--sizes "WxH ..."]
#                         [--kernels "plain sse2 ... default"] [--threads N]
#                         [--flush-subnormals] [--bench PROGRAM]
#   --reps       repetitions of the quick figures (default 15)
#   --slow-reps  repetitions of reaction-diffusion, the zoom frames and the Buddhabrot (default 3)
#   --seeds      reaction-diffusion seeds (default 20)
#   --sizes      default "1920x1080 3840x2160"
#   --kernels    default: every path, those the processor lacks are left out; "default"
#                is the path the program takes for each mode, shown beside its figure
#   --threads    drawing threads (default 1)
#   --flush-subnormals  time with flush-to-zero and denormals-are-zero (a measuring aid)
#   --bench      the program (default build/native/huemix-bench, built when missing)
#   --table-only print the tables from the raw lines of an earlier run, measuring nothing
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

COMMAND="scripts/bench.sh $*"
REPS=15
SLOW_REPS=3
SEEDS=20
SIZES="1920x1080 3840x2160"
KERNELS="plain sse2 avx2 avx512"
BENCH=build/native/huemix-bench
TABLE_ONLY=0
THREADS=1
FLUSH=""
while [ $# -gt 0 ]; do
    if [ "$1" = --table-only ]; then TABLE_ONLY=1; shift; continue; fi
    if [ "$1" = --flush-subnormals ]; then FLUSH=--flush-subnormals; shift; continue; fi
    case "$1" in
        --reps) REPS="$2" ;;
        --slow-reps) SLOW_REPS="$2" ;;
        --seeds) SEEDS="$2" ;;
        --sizes) SIZES="$2" ;;
        --kernels) KERNELS="$2" ;;
        --threads) THREADS="$2" ;;
        --bench) BENCH="$2" ;;
        *) sed -n '2,16p' "$0" >&2; exit 2 ;;
    esac
    [ $# -ge 2 ] || { echo "bench.sh: $1 wants a value" >&2; exit 2; }
    shift 2
done

if [ "$BENCH" = build/native/huemix-bench ] && [ ! -x "$BENCH" ]; then
    cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/native -j2 --target huemix-bench >/dev/null
fi

QUICK="splash,plasma,voronoi,phyllotaxis,string-art,landscape,squares,compose"
ZOOM="zoom-frame-1,zoom-frame-200,zoom-frame-400,zoom-frame-600,zoom-frame-740"
ROWS="splash plasma voronoi phyllotaxis string-art reaction-diffusion reaction-diffusion-worst
      landscape squares zoom-frame-1 zoom-frame-200 zoom-frame-400 zoom-frame-600 zoom-frame-740
      buddhabrot compose"
OUT=build/bench-results${FLUSH:+-flushed}
mkdir -p "$OUT"

# The options that choose a path: none for the program's own choice.
path_options() { [ "$1" = default ] || echo "--kernel $1"; }
available=""
for k in $KERNELS; do
    # shellcheck disable=SC2046
    if "$BENCH" $(path_options "$k") --only compose --reps 1 --size 320x200 >/dev/null 2>&1; then
        available="$available $k"
    fi
done

LOAD_BEFORE="$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo '?')"
[ "$TABLE_ONLY" = 1 ] || for size in $SIZES; do
    for k in $available; do
        file="$OUT/$size-$k.txt"
        # shellcheck disable=SC2046
        {
            "$BENCH" --size "$size" $(path_options "$k") --threads "$THREADS" $FLUSH --reps "$REPS" --only "$QUICK"
            "$BENCH" --size "$size" $(path_options "$k") --threads "$THREADS" $FLUSH --reps "$SLOW_REPS" --seeds "$SEEDS" --only reaction-diffusion
            "$BENCH" --size "$size" $(path_options "$k") --threads "$THREADS" $FLUSH --reps "$SLOW_REPS" --only "$ZOOM,buddhabrot"
        } >"$file"
        echo "bench.sh: $size $k done" >&2
    done
done
LOAD_AFTER="$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo '?')"

CPU="$(grep -m1 '^# processor:' "$OUT/$(echo "$SIZES" | cut -d' ' -f1)-$(echo $available | cut -d' ' -f1).txt" 2>/dev/null | cut -d: -f2- | sed 's/^ *//')"
[ -n "$CPU" ] || CPU="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
CORES="$(grep -c '^processor' /proc/cpuinfo)"
FLAGS="$(grep -m1 '^flags' /proc/cpuinfo | grep -o -w -E 'sse2|avx2|fma|avx512f' | sort -u | tr '\n' ' ')"
echo "Machine: $CPU, $CORES cores ($FLAGS), $(date -u '+%Y-%m-%d %H:%M UTC')."
[ "$TABLE_ONLY" = 1 ] || echo "Load average before and after: $LOAD_BEFORE / $LOAD_AFTER."
echo "Command: \`$COMMAND\` (quick figures $REPS repetitions; reaction-diffusion $SEEDS seeds,"
echo "zoom frames and Buddhabrot $SLOW_REPS repetitions). Median milliseconds, $THREADS thread(s)${FLUSH:+, subnormals flushed (a measuring aid)}."
echo "In the default column each figure names the path the program took for it."
for size in $SIZES; do
    echo
    echo "#### ${size/x/ x }"
    echo
    header="| figure |"
    rule="|---|"
    for k in $available; do header="$header $k |"; rule="$rule---:|"; done
    echo "$header"
    echo "$rule"
    for row in $ROWS; do
        line="| $row |"
        for k in $available; do
            if [ "$k" = default ]; then
                value="$(awk -v n="$row" '$1 == n { print $3 " (" $4 (NF > 4 ? ", " $5 : "") ")" }' "$OUT/$size-$k.txt")"
            else
                value="$(awk -v n="$row" '$1 == n { print $3 }' "$OUT/$size-$k.txt")"
            fi
            line="$line ${value:--} |"
        done
        echo "$line"
    done
done
